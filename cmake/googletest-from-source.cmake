# Provides find_package(GTest) by building GoogleTest from the sources that
# Debian's googletest package installs, for a target (such as a cross build)
# that has no prebuilt GoogleTest of its own.
set(ORRERY_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")

macro(orrery_googletest_from_source method name)
  if("${name}" STREQUAL "GTest")
    if(NOT TARGET GTest::gtest_main)
      if(NOT EXISTS "${ORRERY_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt")
        message(FATAL_ERROR "No GoogleTest sources in ${ORRERY_GOOGLETEST_SOURCE_DIR} (Debian package googletest)")
      endif()
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      add_subdirectory("${ORRERY_GOOGLETEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
      # The framework's own warnings (GCC 12 finds false overlaps in its
      # string code at -O3) are not this project's to read.
      target_compile_options(gtest PRIVATE -w)
      target_compile_options(gtest_main PRIVATE -w)
    endif()
    set(GTest_FOUND TRUE)
  endif()
endmacro()

cmake_language(SET_DEPENDENCY_PROVIDER orrery_googletest_from_source SUPPORTED_METHODS FIND_PACKAGE)
