# Instrumented builds.
#
# TW_SANITIZE (e.g. "address,undefined"): every target of the build is compiled
# and linked with those sanitizers; undefined behaviour stops the program at
# the first report, so a test run cannot pass over one.
#
# TW_FUZZ (clang only): the libraries are compiled with coverage for libFuzzer
# plus AddressSanitizer and UndefinedBehaviorSanitizer, and fuzz/ builds one
# fuzz target per checked input format.
set(TW_SANITIZE "" CACHE STRING "Sanitizers for every target, e.g. address,undefined (empty: none)")
option(TW_FUZZ "Build the libFuzzer targets (clang; implies address,undefined)" OFF)

if(TW_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TW_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(TW_SANITIZE)
  add_compile_options(-fsanitize=${TW_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${TW_SANITIZE})
endif()
