add_executable(plan2mesh_tests ${CMAKE_CURRENT_LIST_DIR}/plan2mesh_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/door_names_test.cpp)
target_link_libraries(plan2mesh_tests PRIVATE plan2mesh_lib GTest::gtest_main)
# The sample station's files, read by the tests that check the committed mesh.
target_compile_definitions(plan2mesh_tests PRIVATE ORVIK_IN_DIR="${PROJECT_SOURCE_DIR}/in")
gtest_discover_tests(plan2mesh_tests)

# The committed sample must be exactly what the real converter makes of its plan.
add_test(NAME plan2mesh.SampleMatchesPlan
  COMMAND sh -c "\"$0\" \"$1/station.plan\" \"$2/Mesh.csv\" \"$2/ExitGrid.dat\" && cmp \"$2/Mesh.csv\" \"$1/Mesh.csv\" && cmp \"$2/ExitGrid.dat\" \"$1/ExitGrid.dat\""
          $<TARGET_FILE:plan2mesh> ${PROJECT_SOURCE_DIR}/in ${CMAKE_CURRENT_BINARY_DIR})

# A plan of 50 million blank lines (rows of rock) needs no more memory than
# a small one: the converter keeps only rows that hold cells. Under a cap of
# 500 MB of address space; a kept record of every line would take gigabytes.
add_test(NAME plan2mesh.BlankLinesTakeNoMemory
  COMMAND sh -c "printf 'E.\\n' >\"$1/blank.plan\" && head -c 50000000 /dev/zero | tr '\\000' '\\n' >>\"$1/blank.plan\" && printf '..\\n' >>\"$1/blank.plan\" && (ulimit -v 500000 && \"$0\" \"$1/blank.plan\" \"$1/blank.csv\" \"$1/blank.dat\") && grep -q ' 50000002 ' \"$1/blank.csv\"; s=$?; rm -f \"$1/blank.plan\"; exit $s"
          $<TARGET_FILE:plan2mesh> ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(plan2mesh.BlankLinesTakeNoMemory PROPERTIES LABELS memcap)

# Plans of several levels: plan2mesh's joins, the walk and the geodesic
# time through them, and what orvik-check says of them.
add_executable(levels_tests ${CMAKE_CURRENT_LIST_DIR}/levels_test.cpp)
target_link_libraries(levels_tests PRIVATE plan2mesh_lib orvik_check nlohmann_json::nlohmann_json
  GTest::gtest_main)
gtest_discover_tests(levels_tests)

# The two-level sample likewise.
add_test(NAME plan2mesh.TwoLevelSampleMatchesPlan
  COMMAND sh -c "\"$0\" \"$1/station.plan\" \"$2/two-level-Mesh.csv\" \"$2/two-level-ExitGrid.dat\" && cmp \"$2/two-level-Mesh.csv\" \"$1/Mesh.csv\" && cmp \"$2/two-level-ExitGrid.dat\" \"$1/ExitGrid.dat\""
          $<TARGET_FILE:plan2mesh> ${PROJECT_SOURCE_DIR}/in/two-level ${CMAKE_CURRENT_BINARY_DIR})
