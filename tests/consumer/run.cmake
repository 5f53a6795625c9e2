# Configures and builds the consumer project against this source tree, then
# checks its reports against the reference reports, its JSON lines against
# orrery-lab batch, and that an internal header is out of its reach.
# -D ORRERY_SOURCE_DIR, WORK_DIR, GOLDEN_DIR, LAB (orrery-lab), SEEDS (;-list)
foreach(v ORRERY_SOURCE_DIR WORK_DIR GOLDEN_DIR LAB SEEDS)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "${v} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}")
  endif()
endfunction()

set(build ${WORK_DIR}/build)
set(out ${WORK_DIR}/out)
file(REMOVE_RECURSE ${out})
file(MAKE_DIRECTORY ${out})
run(${CMAKE_COMMAND} -S ${ORRERY_SOURCE_DIR}/tests/consumer -B ${build}
    -DORRERY_SOURCE_DIR=${ORRERY_SOURCE_DIR} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${build} -j 2)
run(${build}/consumer ${out} ${SEEDS})

foreach(seed IN LISTS SEEDS)
  file(READ ${out}/seed-${seed}.report got)
  file(READ ${GOLDEN_DIR}/seed-${seed}/New.System want)
  if(NOT got STREQUAL want)
    message(FATAL_ERROR "seed ${seed}: format_report(make_system(seed)) differs from the reference New.System")
  endif()
  execute_process(COMMAND ${LAB} batch --seeds ${seed}..${seed} --threads 1
                  OUTPUT_VARIABLE batch RESULT_VARIABLE rc)
  file(READ ${out}/seed-${seed}.json json)
  if(NOT rc EQUAL 0 OR NOT json STREQUAL batch)
    message(FATAL_ERROR "seed ${seed}: to_json differs from orrery-lab batch's line")
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} --target uses_internal
                RESULT_VARIABLE rc OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(rc EQUAL 0)
  message(FATAL_ERROR "a consumer could include the internal header accretion/accretion.h")
endif()
if(NOT log MATCHES "accretion/accretion.h")
  message(FATAL_ERROR "uses_internal failed, but not for want of the internal header:\n${log}")
endif()
message(STATUS "consumer: ${SEEDS}: reports and JSON lines match; every public header compiles alone; internal headers out of reach")
