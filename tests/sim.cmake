# Tests of the simulated board's protocol core (tools/sim). Included from
# tests/CMakeLists.txt.
add_executable(tst_simdevice ${CMAKE_CURRENT_LIST_DIR}/tst_simdevice.cpp)
target_link_libraries(tst_simdevice PRIVATE Qt6::Test Qt6::Core tavermund_simcore tavermund_warnings)

add_test(NAME tst_simdevice COMMAND tst_simdevice)
set_tests_properties(tst_simdevice PROPERTIES TIMEOUT 60 LABELS "sim")
