# cmake --install: the programs, the public headers, the library (static and
# shared), a CMake package, a pkg-config file, man pages, bash completion and
# the docs. Every installed file refers to others by relative paths only, so
# that the installed tree can be moved; cpack -G DEB packs the same tree.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

foreach(program orrery orrery-lab)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(DIRECTORY include/orrery DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")

set(orrery_installed_libraries orrery_library)
if(TARGET orrery_shared)
  list(APPEND orrery_installed_libraries orrery_shared)
endif()
install(TARGETS ${orrery_installed_libraries} EXPORT orreryTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Unspecified
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(orrery_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/orrery)
install(EXPORT orreryTargets NAMESPACE orrery:: DESTINATION ${orrery_cmake_dir})
configure_package_config_file(cmake/orreryConfig.cmake.in ${PROJECT_BINARY_DIR}/orreryConfig.cmake
  INSTALL_DESTINATION ${orrery_cmake_dir})
# Same major version, same systems.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/orreryConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/orreryConfig.cmake ${PROJECT_BINARY_DIR}/orreryConfigVersion.cmake
  DESTINATION ${orrery_cmake_dir})

file(RELATIVE_PATH ORRERY_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" ORRERY_PC_TO_PREFIX "${ORRERY_PC_TO_PREFIX}")
configure_file(cmake/orrery.pc.in ${PROJECT_BINARY_DIR}/orrery.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/orrery.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES docs/man/orrery.1 docs/man/orrery-lab.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES scripts/completion/orrery-lab.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME orrery-lab)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}
  FILES_MATCHING PATTERN "*.md" PATTERN "*.json" PATTERN "*.svg" PATTERN "*.png" PATTERN "man" EXCLUDE)

set(CPACK_PACKAGE_NAME orrery)
set(CPACK_PACKAGE_VENDOR "Orrery")
set(CPACK_PACKAGE_CONTACT "Orrery developers <orrery@orrery.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Random planetary systems grown from a dust disc, the same for the same seed")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
