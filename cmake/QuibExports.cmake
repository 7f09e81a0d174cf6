# quib_export_entries(target LIB NODE): links `target` with a version script generated from
# the entry tables at build time, so only the entries of LIB (DISP or SOUND) leave it,
# under the version node NODE.
function(quib_export_entries target lib node)
  string(TOLOWER ${lib} name)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}.map)
  add_custom_command(
    OUTPUT ${script}
    COMMAND ${CMAKE_COMMAND} -DCXX=${CMAKE_CXX_COMPILER} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
            -DLIB=${lib} -DNODE=${node} -DOUT=${script}
            -P ${PROJECT_SOURCE_DIR}/cmake/versionscript.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/platform/entries.h ${PROJECT_SOURCE_DIR}/cmake/exports.in
            ${PROJECT_SOURCE_DIR}/cmake/versionscript.cmake
    COMMENT "Writing the version script of lib${name} from the entry table"
    VERBATIM)
  # Listed as a source so the script exists before the library links; LINK_DEPENDS relinks
  # the library when it changes.
  target_sources(${target} PRIVATE ${script})
  target_link_options(${target} PRIVATE -Wl,--version-script=${script})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
endfunction()
