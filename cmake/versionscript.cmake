# Writes the linker version script of one library: its entries, as the C++ preprocessor
# expands them from the entry tables, under one version node; every other symbol (the
# C++ standard library's templates above all) stays inside the library.
# cmake -DCXX=compiler -DSOURCE_DIR=repo -DLIB=DISP|SOUND -DNODE=DISP_1 -DOUT=file -P this
execute_process(
  COMMAND "${CXX}" -E -P -x c++ -std=c++20 -DQUIB_EXPORT_${LIB} -I "${SOURCE_DIR}"
          "${SOURCE_DIR}/cmake/exports.in"
  OUTPUT_VARIABLE expanded
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot expand the entry table of ${LIB}: ${errors}")
endif()
string(REGEX MATCHALL "quib_export_[A-Za-z0-9_]+" names "${expanded}")
list(TRANSFORM names REPLACE "^quib_export_" "")
list(REMOVE_DUPLICATES names)
list(LENGTH names count)
if(count EQUAL 0)
  message(FATAL_ERROR "the entry table of ${LIB} expanded to no names")
endif()
list(JOIN names ";\n    " body)
string(TOLOWER "${LIB}" lib)
set(script "/* Generated from platform/entries.h: the ${count} entries of lib${lib}. */\n")
string(APPEND script "${NODE} {\n  global:\n    ${body};\n  local:\n    *;\n};\n")
file(WRITE "${OUT}" "${script}")
