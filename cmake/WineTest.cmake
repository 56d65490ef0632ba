# Windows tests run under Wine, in a prefix kept inside this build folder, with
# one wineserver kept alive for the whole ctest run (each Wine start is costly).
set(NORV_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(NORV_WINE_BITS 64)
else()
  set(NORV_WINE_BITS 32)
endif()
# How this run's 32-bit programs start (native or emulated), chosen by wine.start.
set(NORV_WIN32_PATH_FILE ${CMAKE_BINARY_DIR}/win32-path)
configure_file(${CMAKE_SOURCE_DIR}/scripts/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

add_test(NAME wine.start COMMAND ${CMAKE_BINARY_DIR}/wine-run --start)
add_test(NAME wine.stop COMMAND ${CMAKE_BINARY_DIR}/wine-run --stop)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# A 32-bit program run emulated takes about a minute to start where natively it takes a
# second, and a build does not know which path its tests will take: a 32-bit build's time
# limits (hang guards) are ten times as long, and its tests see the factor in
# NORV_WINE_SLOWDOWN for the limits they set themselves.
#   norv_wine_time_limit(SECONDS TEST...)
if(NORV_WINE_BITS EQUAL 32)
  set(NORV_WINE_SLOWDOWN 10)
else()
  set(NORV_WINE_SLOWDOWN 1)
endif()
function(norv_wine_time_limit seconds)
  math(EXPR limit "${seconds} * ${NORV_WINE_SLOWDOWN}")
  set_tests_properties(${ARGN} PROPERTIES TIMEOUT ${limit})
  set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT NORV_WINE_SLOWDOWN=${NORV_WINE_SLOWDOWN})
endfunction()

# An entry that runs many GoogleTest cases in one process: GoogleTest exits 0 when some
# skipped, which ctest would report as Passed. With NORV_SKIP_EXIT_CODE set, the programs'
# main (tests/support/test_main.cpp) names the skipped cases and exits 77, ctest's skip code,
# instead; a failed case still fails the entry.
function(norv_reports_skipped_cases test)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT NORV_SKIP_EXIT_CODE=77)
  set_tests_properties(${test} PROPERTIES SKIP_RETURN_CODE 77)
endfunction()

# One ctest test per Windows test program: it runs all of its GoogleTest cases (or those
# that further GoogleTest flags select) in one Wine process.
function(norv_add_wine_test target)
  add_test(NAME ${target} COMMAND ${target} --gtest_brief=1 ${ARGN})
  set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine)
  norv_wine_time_limit(600 ${target})
  norv_reports_skipped_cases(${target})
endfunction()

# A test that starts a second Windows process: where 32-bit programs run emulated, which
# cannot, wine-run reports it skipped, with the reason, instead of running it.
function(norv_starts_child_process test what)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "NORV_CHILD_PROCESS=${what}")
  set_tests_properties(${test} PROPERTIES SKIP_RETURN_CODE 77)
endfunction()

# A test that the emulator itself breaks (a fault of qemu-i386, not of the code under test):
# where 32-bit programs run emulated, wine-run reports it skipped with the reason.
function(norv_broken_by_emulator test why)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "NORV_EMULATOR_FAULT=${why}")
  set_tests_properties(${test} PROPERTIES SKIP_RETURN_CODE 77)
endfunction()
