# The two shapes every test of the project takes, written once: a GoogleTest program whose
# cases CTest discovers, and a shell script run as one test (under Xvfb, a compositor or a
# sound server of its own). Both pass the sanitizer suppressions along.
set(QUIB_TEST_ENV "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tools/lsan.supp")

# quib_add_gtest(<target> SOURCES <files...> [LIBS <libs...>] [PREFIX <p>] [ENV <k=v...>]
#                [LABELS <l...>] [DEFINES <d...>] [DEPENDS <targets...>] [SERIAL])
# PREFIX defaults to the folder's name followed by a dot; LIBS gets GTest::gtest unless a
# GTest library is named already; DEPENDS are built first (a binary the tests run). ENV
# comes on top of the sanitizer suppressions.
function(quib_add_gtest target)
  cmake_parse_arguments(T "SERIAL" "PREFIX" "SOURCES;LIBS;ENV;LABELS;DEFINES;DEPENDS" ${ARGN})
  if(NOT T_PREFIX)
    get_filename_component(area ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(T_PREFIX "${area}.")
  endif()
  if(NOT "${T_LIBS}" MATCHES "GTest::")
    list(APPEND T_LIBS GTest::gtest)
  endif()
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${target} PRIVATE QUIB_SOURCE_DIR="${PROJECT_SOURCE_DIR}" ${T_DEFINES})
  if(T_DEPENDS)
    add_dependencies(${target} ${T_DEPENDS})
  endif()
  set(props "")
  if(T_SERIAL)
    set(props PROPERTIES RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${target} TEST_PREFIX ${T_PREFIX} DISCOVERY_TIMEOUT 30 ${props})
  quib_discovered_properties(${target} ENV ${QUIB_TEST_ENV} ${T_ENV} LABELS ${T_LABELS})
endfunction()

# quib_discovered_properties(<target> [ENV <k=v...>] [LABELS <l...>])
# Gives every test gtest_discover_tests found in <target> its environment and labels, each
# a list. gtest_discover_tests hands its PROPERTIES on as one flattened list, where a
# value's own `;` splits it and the second variable is read as a property name and lost; so
# these go to CTest in a file of their own, read after the tests are discovered (their
# names are in <target>_TESTS by then). Call it after gtest_discover_tests.
function(quib_discovered_properties target)
  cmake_parse_arguments(T "" "" "ENV;LABELS" ${ARGN})
  set(sets "")
  if(T_ENV)
    string(APPEND sets " ENVIRONMENT [==[${T_ENV}]==]")
  endif()
  if(T_LABELS)
    string(APPEND sets " LABELS [==[${T_LABELS}]==]")
  endif()
  if(NOT sets)
    return()
  endif()
  set(file "${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake")
  file(WRITE "${file}" "if(${target}_TESTS)\n"
                       "  set_tests_properties(\${${target}_TESTS} PROPERTIES${sets})\n"
                       "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
endfunction()

# quib_add_script_test(<name> <script> [ARGS <args...>] [LABELS <l...>] [TIMEOUT <s>]
#                      [ENV <k=v...>])
# Runs `bash <script> <args...>`; exit 77 means skipped (no Xvfb, no compositor, ...).
function(quib_add_script_test name script)
  cmake_parse_arguments(T "" "TIMEOUT" "ARGS;LABELS;ENV" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  add_test(NAME ${name} COMMAND bash ${script} ${T_ARGS})
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "${QUIB_TEST_ENV};${T_ENV}")
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
