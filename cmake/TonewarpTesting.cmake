# tw_add_test(<name> LABEL <core|gui|cli|slow> SOURCES <files...> LIBS <targets...>
#             [ALSO_DECIMAL_COMMA])
# Builds one GoogleTest executable and registers it with CTest under a label.
# Every test runs with the offscreen Qt platform and SDL's disk audio driver,
# so no display or sound card is needed. ALSO_DECIMAL_COMMA registers the
# program a second time, as <name>_de_DE, under LC_ALL=de_DE.UTF-8 (whose
# decimal point is a comma); TW_DECIMAL_COMMA_RUN=1 tells its tests to check
# that the locale really took effect.
function(tw_add_test name)
  cmake_parse_arguments(T "ALSO_DECIMAL_COMMA" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
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
  if(T_ALSO_DECIMAL_COMMA)
    add_test(NAME ${name}_de_DE COMMAND ${name})
    list(TRANSFORM env REPLACE "^LC_ALL=.*" "LC_ALL=de_DE.UTF-8")
    list(APPEND env "TW_DECIMAL_COMMA_RUN=1")
    set_tests_properties(${name}_de_DE PROPERTIES
      LABELS ${T_LABEL}
      TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "${env}")
  endif()
endfunction()
