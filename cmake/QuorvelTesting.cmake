# quorvel_add_test(NAME <name> SOURCES ... LIBS ... [LABELS label] [TIMEOUT s] [ENV NAME=VALUE ...])
# One label per program: a list does not survive test discovery. ENV adds
# NAME=VALUE entries to the tests' environment.
# Builds a GoogleTest program and registers its tests with CTest. Tests that
# run threads carry the label "threaded"; the ThreadSanitizer build runs those.
if(QUORVEL_BUILD_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

function(quorvel_add_test)
  if(NOT QUORVEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  quorvel_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  # The environment goes through env(1): a list-valued ENVIRONMENT property
  # does not survive test discovery.
  set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR
    "/usr/bin/env;QT_QPA_PLATFORM=offscreen;QUORVEL_PROGRAM_DIR=${QUORVEL_PROGRAM_DIR};QUORVEL_SOURCE_DIR=${CMAKE_SOURCE_DIR};${T_ENV}")
  set(props TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    list(APPEND props LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ${props})
endfunction()

# quorvel_add_benchmark(NAME <name> SOURCES ... LIBS ...)
function(quorvel_add_benchmark)
  if(NOT QUORVEL_BUILD_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${B_NAME} ${B_SOURCES})
  quorvel_warnings(${B_NAME})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark Threads::Threads)
  set_target_properties(${B_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
