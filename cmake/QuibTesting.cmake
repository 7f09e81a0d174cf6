# The two shapes every test of the project takes, written once: a GoogleTest program whose
# cases CTest discovers, and a shell script run as one test (under Xvfb, a compositor or a
# sound server of its own). Both pass the sanitizer suppressions along.
set(QUIB_TEST_ENV "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tools/lsan.supp")

# quib_add_gtest(<target> SOURCES <files...> [LIBS <libs...>] [PREFIX <p>] [ENV <k=v...>]
#                [LABELS <l...>] [DEFINES <d...>] [DEPENDS <targets...>] [SERIAL])
# PREFIX defaults to the folder's name followed by a dot; LIBS gets GTest::gtest unless a
# GTest library is named already; DEPENDS are built first (a binary the tests run). ENV and
# LABELS take one entry each (see below).
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
  # The discovered tests get their properties through a flattened argument list, so a
  # property can hold one value only: a second ENVIRONMENT entry would be read as a property
  # name and lost. ENV (one variable) therefore replaces the suppressions, and an empty
  # LABELS or a FALSE RUN_SERIAL is left out rather than shifting the pairs.
  set(props ENVIRONMENT "${QUIB_TEST_ENV}")
  list(LENGTH T_ENV nenv)
  if(nenv GREATER 1)
    message(FATAL_ERROR "quib_add_gtest(${target}): one ENV variable at most, got ${T_ENV}")
  elseif(nenv EQUAL 1)
    set(props ENVIRONMENT "${T_ENV}")
  endif()
  list(LENGTH T_LABELS nlabels)
  if(nlabels GREATER 1)
    message(FATAL_ERROR "quib_add_gtest(${target}): one label at most, got ${T_LABELS}")
  elseif(nlabels EQUAL 1)
    list(APPEND props LABELS ${T_LABELS})
  endif()
  if(T_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${target} TEST_PREFIX ${T_PREFIX} DISCOVERY_TIMEOUT 30 PROPERTIES ${props})
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
