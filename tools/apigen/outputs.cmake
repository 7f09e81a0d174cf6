# Every file apigen writes, and what it is made from. MODE=update rewrites them; MODE=check
# fails, naming each file that differs from what apigen writes now.
set(outputs
  disp-h=platform/disp/disp.h
  sound-h=platform/sound/sound.h
  facade-h=facade/facade.h
  keys-h=facade/keys.h
  api-md=docs/api.md
  cheatsheet=docs/cheatsheet.md
  readme=platform/README.md)
set(stale "")
foreach(pair IN LISTS outputs)
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 0 what)
  list(GET parts 1 file)
  execute_process(COMMAND ${APIGEN} ${what} ${ROOT}/platform/entries.txt
                  OUTPUT_VARIABLE text RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "apigen ${what} failed: ${err}")
  endif()
  if(MODE STREQUAL "update")
    file(WRITE ${ROOT}/${file} "${text}")
  else()
    file(READ ${ROOT}/${file} old)
    if(NOT old STREQUAL text)
      list(APPEND stale ${file})
    endif()
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "stale generated files (run `cmake --build build --target apigen_update`): ${stale}")
endif()
