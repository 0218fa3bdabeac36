add_executable(plan2mesh_tests ${CMAKE_CURRENT_LIST_DIR}/plan2mesh_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/door_names_test.cpp)
target_link_libraries(plan2mesh_tests PRIVATE plan2mesh_lib GTest::gtest_main)
# The sample station's files, read by the tests that check the committed mesh.
target_compile_definitions(plan2mesh_tests PRIVATE ORVIK_IN_DIR="${PROJECT_SOURCE_DIR}/in")
gtest_discover_tests(plan2mesh_tests)

# The committed samples must be exactly what the real converter makes of
# their plans. A plan of 50 million blank lines (rows of rock) needs no more
# memory than a small one: the converter keeps only rows that hold cells.
foreach(case SampleMatchesPlan TwoLevelSampleMatchesPlan BlankLinesTakeNoMemory)
  orvik_file_case(plan2mesh.${case})
endforeach()
set_tests_properties(plan2mesh.BlankLinesTakeNoMemory PROPERTIES LABELS memcap)

# Plans of several levels: plan2mesh's joins, the walk and the geodesic
# time through them, and what orvik-check says of them.
add_executable(levels_tests ${CMAKE_CURRENT_LIST_DIR}/levels_test.cpp)
target_link_libraries(levels_tests PRIVATE plan2mesh_lib orvik_check nlohmann_json::nlohmann_json
  GTest::gtest_main)
gtest_discover_tests(levels_tests)
