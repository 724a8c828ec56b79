# tw_add_test(<name> LABEL <core|gui|cli|slow> SOURCES <files...> LIBS <targets...>)
# Builds one GoogleTest executable and registers it with CTest under a label.
# Every test runs with the offscreen Qt platform and SDL's disk audio driver,
# so no display or sound card is needed.
function(tw_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL)
    set(T_LABEL core)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tw_test_support GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    TW_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TW_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set(env "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=disk;LC_ALL=C.UTF-8")
  if(TW_SANITIZE)
    # Leaks of system libraries that are not ours to fix (tests/lsan.supp).
    list(APPEND env "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0")
  endif()
  set_tests_properties(${name} PROPERTIES
    LABELS ${T_LABEL}
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "${env}")
endfunction()
