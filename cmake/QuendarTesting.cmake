# Test helpers shared by every component's tests.

if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
include(GoogleTest)

set(QUENDAR_FIXTURES ${CMAKE_SOURCE_DIR}/tests/fixtures)

# Environment every test sees: where the fixtures and sources are, and the
# emulator that runs target binaries of a cross build (empty on the host).
set(QUENDAR_TEST_ENV
  "QUENDAR_FIXTURES=${QUENDAR_FIXTURES}"
  "QUENDAR_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
  "QUENDAR_BINARY_DIR=${CMAKE_BINARY_DIR}"
  "QUENDAR_EMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}")

# quendar_unit_test(<name> SOURCES ... [LIBS ...]): one GoogleTest program,
# each of its cases a CTest test.
function(quendar_unit_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE quendar_support ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  target_compile_definitions(${name} PRIVATE "QUENDAR_FIXTURES=\"${QUENDAR_FIXTURES}\"")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 TEST_PREFIX "${name}."
    PROPERTIES ENVIRONMENT "${QUENDAR_TEST_ENV}" LABELS unit)
endfunction()

# quendar_e2e_test(<name> COMMAND <script> [args...] [ENV k=v ...]): runs a
# built program as a user would, through a script.
function(quendar_e2e_test name)
  cmake_parse_arguments(ARG "" "" "COMMAND;ENV" ${ARGN})
  if(QUENDAR_UNIT_TESTS_ONLY)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${ARG_COMMAND})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "${QUENDAR_TEST_ENV};${ARG_ENV}" LABELS e2e TIMEOUT 300)
endfunction()

# quendar_plaintext_check(<target> TEXTS ...): fails when any of the texts,
# which the sources keep obfuscated, stands in plain in the built executable.
function(quendar_plaintext_check target)
  cmake_parse_arguments(ARG "" "" "TEXTS" ${ARGN})
  add_test(NAME ${target}_keeps_texts_obfuscated
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-no-plaintext.sh $<TARGET_FILE:${target}> ${ARG_TEXTS})
  set_tests_properties(${target}_keeps_texts_obfuscated PROPERTIES LABELS unit)
endfunction()
