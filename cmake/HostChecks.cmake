# The host checks build natively with clang beside the cross build, and CTest
# runs them with the Windows tests so one command reports on everything.
option(OSTREVAN_HOST_CHECKS "Build and run the sanitizer tests and the fuzzer on the host" ON)
set(OSTREVAN_FUZZ_SECONDS 30 CACHE STRING "How long the test run fuzzes the menu file rules")

if(OSTREVAN_HOST_CHECKS)
  include(ExternalProject)
  set(host_bin "${CMAKE_BINARY_DIR}/host")
  ExternalProject_Add(host_checks
    SOURCE_DIR "${CMAKE_SOURCE_DIR}"
    BINARY_DIR "${host_bin}"
    CMAKE_ARGS -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
               -DCMAKE_BUILD_TYPE=RelWithDebInfo
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON)

  add_test(NAME host.menufile COMMAND "${host_bin}/tests/host/menufile_host_tests")
  set_tests_properties(host.menufile PROPERTIES TIMEOUT 120)

  set(fuzz_corpus "${CMAKE_BINARY_DIR}/fuzz-corpus")
  file(MAKE_DIRECTORY "${fuzz_corpus}")
  add_test(NAME host.menufile_fuzz
    COMMAND "${host_bin}/tests/host/menufile_fuzz"
            -max_total_time=${OSTREVAN_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
            -print_final_stats=1
            "${fuzz_corpus}" "${CMAKE_SOURCE_DIR}/tests/fuzz/corpus")
  math(EXPR fuzz_timeout "${OSTREVAN_FUZZ_SECONDS} + 120")
  set_tests_properties(host.menufile_fuzz PROPERTIES TIMEOUT ${fuzz_timeout})
endif()
