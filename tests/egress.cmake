# orvik-egress: the verification cases, the model's rules, the scenario and
# the reports in memory; then the real program on files.
add_executable(orvik_egress_tests
  ${CMAKE_CURRENT_LIST_DIR}/egress_verification_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/egress_model_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/egress_scenario_test.cpp)
target_link_libraries(orvik_egress_tests PRIVATE orvik_egress GTest::gtest_main)
gtest_discover_tests(orvik_egress_tests)
