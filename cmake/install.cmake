# Install rules: the program with its manual page, notes and SQLite schema,
# and the framework (static library, public headers, CMake package,
# pkg-config file, a README with an example).
include(CMakePackageConfigHelpers)

foreach(page IN ITEMS kestrun kestrun-check kestrun-log)
  configure_file(${CMAKE_SOURCE_DIR}/man/${page}.1.in ${CMAKE_BINARY_DIR}/${page}.1 @ONLY)
endforeach()
if(NOT WIN32)
  install(TARGETS kestrun kestrun-check kestrun-log RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    COMPONENT runtime)
  # The administrator's guide is the package's README.
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/README-admin.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME README.md
    COMPONENT runtime)
  # Manual pages go in as they are; the Debian packages compress them
  # (cmake/compress-manuals.cmake).
  install(FILES ${CMAKE_BINARY_DIR}/kestrun.1 ${CMAKE_BINARY_DIR}/kestrun-check.1
    ${CMAKE_BINARY_DIR}/kestrun-log.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
  # The schema of a new SQLite installation.
  install(FILES ${CMAKE_SOURCE_DIR}/data/schema/sqlite.sql DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrun
    COMPONENT runtime)
  # Each Debian package's doc directory: the machine-readable copyright,
  # the changelog (compressed without a time stamp), the notices of what the
  # package's files link or carry.
  set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
    COMMAND sh -c "gzip -9nc '${CMAKE_SOURCE_DIR}/packaging/changelog' > '${changelog}'"
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog VERBATIM)
  add_custom_target(kestrun_changelog ALL DEPENDS ${changelog})
  foreach(package IN ITEMS kestrun kestrun-dev)
    set(component runtime)
    set(notice ${CMAKE_SOURCE_DIR}/NOTICE)
    if(package STREQUAL "kestrun-dev")
      set(component dev)
      set(notice ${CMAKE_SOURCE_DIR}/packaging/NOTICE-dev)
    endif()
    set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package})
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${changelog} DESTINATION ${docdir}
      COMPONENT ${component})
    install(FILES ${notice} DESTINATION ${docdir} RENAME NOTICE COMPONENT ${component})
  endforeach()
  # What a developer starts from: a README and a program that builds against
  # the installed framework.
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/README-dev.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kestrun-dev
    RENAME README.md COMPONENT dev)
  install(FILES ${CMAKE_SOURCE_DIR}/tests/consumer/CMakeLists.txt ${CMAKE_SOURCE_DIR}/tests/consumer/main.cpp
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kestrun-dev/example COMPONENT dev)
else()
  # Windows: one folder with the programs, their README and their license
  # notes, as Windows text (CR LF).
  install(TARGETS kestrun kestrun-check kestrun-log RUNTIME DESTINATION . COMPONENT runtime)
  foreach(text IN ITEMS README.txt NOTICE.txt)
    configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/${text} ${CMAKE_BINARY_DIR}/windows/${text} @ONLY
      NEWLINE_STYLE CRLF)
    install(FILES ${CMAKE_BINARY_DIR}/windows/${text} DESTINATION . COMPONENT runtime)
  endforeach()
endif()

install(TARGETS kestrun_core EXPORT KestrunCoreTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
# The public headers: the other platform's headers (db/ado_win32.h on
# POSIX) and the library's private ones stay out. Private: the tables of OS
# and provider entry points, the library loader, the drivers' own helpers,
# and the Windows text and error conversions.
set(KESTRUN_PRIVATE_HEADERS
  app/system_error.h
  cs3base/argon2_text.h
  db/connection_internal.h db/library.h db/odbc_api.h db/platform.h db/sql_dialect.h
  db/sqlite_api.h db/utf16.h
  util/file_os.h util/log_file.h util/system_errno.h util/wide_text.h)
foreach(dir IN LISTS KESTRUN_DIRS)
  set(excluded PATTERN "*_${KESTRUN_OTHER_PLATFORM}.h" EXCLUDE)
  foreach(header IN LISTS KESTRUN_PRIVATE_HEADERS)
    if(header MATCHES "^${dir}/(.*)$")
      list(APPEND excluded PATTERN "${CMAKE_MATCH_1}" EXCLUDE)
    endif()
  endforeach()
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/${dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kestrun/${dir}
    COMPONENT dev FILES_MATCHING PATTERN "*.h" ${excluded})
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
