# Run by CPack on the package's staging tree before it is packed: gives the .deb what
# Debian asks of a game and `cmake --install` has no use for. The program in /usr/games
# (its RPATH $ORIGIN/../lib/quib still reaches /usr/lib/quib from there), man pages and
# the changelog compressed with `gzip -9n` (no name or time stamp, so builds repeat), and
# the licence as /usr/share/doc/quib/copyright.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/quib")
foreach(program ${programs})
  get_filename_component(bin "${program}" DIRECTORY)
  get_filename_component(usr "${bin}" DIRECTORY)
  file(MAKE_DIRECTORY "${usr}/games")
  file(RENAME "${program}" "${usr}/games/quib")
  file(REMOVE_RECURSE "${bin}")
endforeach()

file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man*/*.[1-9]")
foreach(page ${pages})
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot compress ${page}")
  endif()
endforeach()

file(GLOB_RECURSE licences "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/quib/LICENSE")
foreach(licence ${licences})
  get_filename_component(doc "${licence}" DIRECTORY)
  file(RENAME "${licence}" "${doc}/copyright")
  configure_file("${CPACK_QUIB_DIST}/changelog.in" "${doc}/changelog" @ONLY)
  execute_process(COMMAND gzip -9nf "${doc}/changelog" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot compress ${doc}/changelog")
  endif()
endforeach()
