# Install rules: the program with its manual page and notes, and the
# framework (static library, headers, CMake package, pkg-config file).
include(CMakePackageConfigHelpers)

foreach(page IN ITEMS kestrun kestrun-check kestrun-log)
  configure_file(${CMAKE_SOURCE_DIR}/man/${page}.1.in ${CMAKE_BINARY_DIR}/${page}.1 @ONLY)
endforeach()
if(NOT WIN32)
  install(TARGETS kestrun kestrun-check kestrun-log RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    COMPONENT runtime)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT runtime)
  install(FILES ${CMAKE_BINARY_DIR}/kestrun.1 ${CMAKE_BINARY_DIR}/kestrun-check.1
    ${CMAKE_BINARY_DIR}/kestrun-log.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
  # Debian keeps each package's notices in /usr/share/doc/<package>/copyright.
  install(FILES ${CMAKE_SOURCE_DIR}/NOTICE DESTINATION ${CMAKE_INSTALL_DOCDIR}
    RENAME copyright COMPONENT runtime)
  install(FILES ${CMAKE_SOURCE_DIR}/NOTICE DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kestrun-dev
    RENAME copyright COMPONENT dev)
else()
  # Windows: one folder with the program, the README, the license notes and
  # the manual page as plain text (rendered by the host's groff).
  install(TARGETS kestrun kestrun-check kestrun-log RUNTIME DESTINATION . COMPONENT runtime)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION . COMPONENT runtime)
  install(FILES ${CMAKE_SOURCE_DIR}/NOTICE DESTINATION . RENAME NOTICE.txt COMPONENT runtime)
  find_program(KESTRUN_GROFF groff NO_CMAKE_FIND_ROOT_PATH)
  if(KESTRUN_GROFF)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/kestrun.txt
      COMMAND sh -c "'${KESTRUN_GROFF}' -man -Tascii -P-cbou '${CMAKE_BINARY_DIR}/kestrun.1' > '${CMAKE_BINARY_DIR}/kestrun.txt'"
      DEPENDS ${CMAKE_BINARY_DIR}/kestrun.1 VERBATIM)
    add_custom_target(kestrun_manual_text ALL DEPENDS ${CMAKE_BINARY_DIR}/kestrun.txt)
    install(FILES ${CMAKE_BINARY_DIR}/kestrun.txt DESTINATION . COMPONENT runtime)
  else()
    message(WARNING "groff not found: the Windows package has no manual page text")
  endif()
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
