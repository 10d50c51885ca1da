# Run by CPack once the packages' files are staged: compresses every manual
# page with gzip -9n (no name or time stamp), as Debian's packages carry them.
file(GLOB_RECURSE staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(page IN LISTS staged)
  if(page MATCHES "/share/man/man[^/]*/[^/]+$" AND NOT page MATCHES "\\.gz$")
    execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "cannot compress ${page}")
    endif()
  endif()
endforeach()
