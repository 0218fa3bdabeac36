# The field reader against formatted stream extraction on the same texts.
add_executable(orvik_differential_tests differential_test.cpp)
target_link_libraries(orvik_differential_tests PRIVATE orvik_core GTest::gtest_main)
gtest_discover_tests(orvik_differential_tests)
