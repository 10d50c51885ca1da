# Install rules: the program with its manual page and notes, and the
# framework (static library, headers, CMake package, pkg-config file).
include(CMakePackageConfigHelpers)

install(TARGETS kestrun RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
if(NOT WIN32)
  configure_file(${CMAKE_SOURCE_DIR}/man/kestrun.1.in ${CMAKE_BINARY_DIR}/kestrun.1 @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/kestrun.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
    COMPONENT runtime)
  # Debian keeps each package's notices in /usr/share/doc/<package>/copyright.
  install(FILES ${CMAKE_SOURCE_DIR}/NOTICE DESTINATION ${CMAKE_INSTALL_DOCDIR}
    RENAME copyright COMPONENT runtime)
  install(FILES ${CMAKE_SOURCE_DIR}/NOTICE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kestrun-dev
    RENAME copyright COMPONENT dev)
else()
  install(FILES ${CMAKE_SOURCE_DIR}/NOTICE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
endif()

install(TARGETS kestrun_core EXPORT KestrunCoreTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
# The other platform's headers (db/ado_win32.h on POSIX) are left out.
foreach(dir IN LISTS KESTRUN_DIRS)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kestrun/${dir}
    COMPONENT dev FILES_MATCHING PATTERN "*.h" PATTERN "*_${KESTRUN_OTHER_PLATFORM}.h" EXCLUDE)
endforeach()

set(KESTRUN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KestrunCore)
install(EXPORT KestrunCoreTargets NAMESPACE Kestrun:: DESTINATION ${KESTRUN_CMAKE_DIR}
  COMPONENT dev)
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/KestrunCoreConfig.cmake.in
  ${CMAKE_BINARY_DIR}/KestrunCoreConfig.cmake INSTALL_DESTINATION ${KESTRUN_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/KestrunCoreConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/KestrunCoreConfig.cmake
  ${CMAKE_BINARY_DIR}/KestrunCoreConfigVersion.cmake
  DESTINATION ${KESTRUN_CMAKE_DIR} COMPONENT dev)

configure_file(${CMAKE_SOURCE_DIR}/cmake/kestrun-core.pc.in ${CMAKE_BINARY_DIR}/kestrun-core.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/kestrun-core.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT dev)
