# Tests of the simulated board (tools/sim): the protocol core directly, and the
# tavermund-sim program end to end through a real pty. Included from
# tests/CMakeLists.txt.
add_executable(tst_simdevice ${CMAKE_CURRENT_LIST_DIR}/tst_simdevice.cpp)
set_target_properties(tst_simdevice PROPERTIES AUTOMOC ON)
target_link_libraries(tst_simdevice PRIVATE Qt6::Test Qt6::Core tavermund_simcore util)
target_compile_definitions(tst_simdevice PRIVATE
  TAVERMUND_SIM_PATH="$<TARGET_FILE:tavermund-sim>")
add_dependencies(tst_simdevice tavermund-sim)

add_test(NAME tst_simdevice COMMAND tst_simdevice)
set_tests_properties(tst_simdevice PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
  TIMEOUT 120
  LABELS "sim")
