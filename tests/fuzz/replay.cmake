# Replays each fuzz target's seed corpus and its reproducers with the normal
# compiler, so an ordinary test run keeps every input that once failed
# passing. Included from tests/CMakeLists.txt.
foreach(target settings replies numbers)
  add_executable(fuzz_${target}_replay
    ${CMAKE_CURRENT_LIST_DIR}/fuzz_${target}.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReplayMain.cpp)
  target_link_libraries(fuzz_${target}_replay PRIVATE tavermund_core tavermund_warnings)
  add_test(NAME fuzz_${target}_replay
    COMMAND fuzz_${target}_replay
            ${CMAKE_CURRENT_LIST_DIR}/corpus/${target}
            ${CMAKE_CURRENT_LIST_DIR}/regressions/${target})
  set_tests_properties(fuzz_${target}_replay PROPERTIES LABELS fuzz-replay TIMEOUT 120)
endforeach()
