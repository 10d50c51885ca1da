# Debian packages through CPack (cpack -G DEB): "kestrun" with the program,
# its manual page and notes, "kestrun-dev" with the framework for developers;
# in a Windows build a ZIP (cpack -G ZIP) of kestrun.exe and its notes.
set(KESTRUN_MAINTAINER "kestrun developers <kestrun@example.org>" CACHE STRING
  "Maintainer field of the packages")

set(CPACK_PACKAGE_NAME kestrun)
set(CPACK_PACKAGE_VENDOR kestrun)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KESTRUN_MAINTAINER})
set(CPACK_COMPONENTS_ALL runtime dev)
# First line: the summary; the rest: the long description.
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
  "server-side upgrade step of a groupware installation
kestrun carries out one step of the server-side upgrade of a groupware
installation: it opens the installation's environment and database, takes the
batch lock, runs the upgrade step program and reports the outcome in a result
line, a status file and a driver log.")
set(CPACK_COMPONENT_DEV_DESCRIPTION
  "application framework of kestrun (static library and headers)
The groupware's application framework beneath kestrun: run lifecycle, byte
strings, name-value files, lock files, logs, environment, database connection
and session, and a typed record layer. This package holds the static library,
its headers, a CMake package (find_package(KestrunCore), target Kestrun::core)
and a pkg-config file (kestrun-core).")
# The program is stripped; the static library keeps its symbols.
set(CPACK_STRIP_FILES ON)

if(NOT WIN32)
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KESTRUN_MAINTAINER})
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME kestrun)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION admin)
  # dpkg-shlibdeps derives the program's dependencies from the shared
  # libraries it links; an ODBC driver for SQL Server is only recommended,
  # since an installation on SQLite needs none.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "tdsodbc")
  # unixODBC's driver manager and SQLite are opened with dlopen, which
  # dpkg-shlibdeps cannot see: the dependencies are declared here.
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libodbc2, libsqlite3-0")
  # The sqlite3 program makes a new installation's database from the schema.
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_SUGGESTS "sqlite3")
  # Debian's packages carry their manual pages compressed.
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/compress-manuals.cmake)
  set(CPACK_DEBIAN_DEV_PACKAGE_NAME kestrun-dev)
  set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
  # A static library carries no shared-library dependencies: the consumer
  # links SQLite, unixODBC and libsodium itself, found through pkg-config.
  set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libsqlite3-dev, unixodbc-dev, libsodium-dev, pkg-config")
else()
  # On Windows a plain archive of the program's folder needs no installer
  # tool; the framework for developers stays out of it.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_COMPONENTS_ALL runtime)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_PACKAGE_FILE_NAME kestrun-${PROJECT_VERSION}-win64)
endif()

include(CPack)
