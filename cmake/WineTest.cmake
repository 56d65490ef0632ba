# Windows tests run under Wine, in a prefix kept inside this build folder, with
# one wineserver kept alive for the whole ctest run (each Wine start is costly).
set(NORV_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_SOURCE_DIR}/scripts/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

add_test(NAME wine.start COMMAND ${CMAKE_BINARY_DIR}/wine-run --start)
add_test(NAME wine.stop COMMAND ${CMAKE_BINARY_DIR}/wine-run --stop)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# One ctest test per Windows test program: it runs all of its GoogleTest cases
# in one Wine process.
function(norv_add_wine_test target)
  add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
  set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600)
endfunction()
