# orvik-egress: the verification cases, the model's rules, the scenario and
# the reports in memory; then the real program on files.
add_executable(orvik_egress_tests
  ${CMAKE_CURRENT_LIST_DIR}/egress_verification_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/egress_model_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/egress_scenario_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/egress_levels_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/egress_steps_test.cpp)
target_link_libraries(orvik_egress_tests PRIVATE orvik_egress GTest::gtest_main)
gtest_discover_tests(orvik_egress_tests)

# The real program on the sample and on small plans made with plan2mesh.
add_test(NAME egress.Command
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/egress_cli_test.py
    --egress $<TARGET_FILE:orvik-egress> --render $<TARGET_FILE:orvik-render>
    --plan2mesh $<TARGET_FILE:plan2mesh> --in ${PROJECT_SOURCE_DIR}/in
    --scratch ${CMAKE_CURRENT_BINARY_DIR}/egress_cli)
set_tests_properties(egress.Command PROPERTIES LABELS "egress;render" TIMEOUT 600)

# The benchmarks' numpy copy of the model (bench/egress_script.py) against
# the program, cell for cell, on Debian's Python; skipped without numpy.
add_test(NAME benchscripts.EgressScript
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/egress_script_test.py
    --plan2mesh $<TARGET_FILE:plan2mesh> --egress $<TARGET_FILE:orvik-egress>
    --scratch ${CMAKE_CURRENT_BINARY_DIR}/egress_script)
set_tests_properties(benchscripts.EgressScript PROPERTIES LABELS benchscripts
  SKIP_RETURN_CODE 77 TIMEOUT 300)
