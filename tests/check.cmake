# orvik-check: the report on texts in memory, and the real program on files.
add_executable(orvik_check_tests ${CMAKE_CURRENT_LIST_DIR}/check_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/whatif_test.cpp ${CMAKE_CURRENT_LIST_DIR}/check_limits_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/named_doors_test.cpp ${CMAKE_CURRENT_LIST_DIR}/plan_input_test.cpp)
target_link_libraries(orvik_check_tests PRIVATE orvik_check orvik_plan_input plan2mesh_lib GTest::gtest_main
  nlohmann_json::nlohmann_json)
gtest_discover_tests(orvik_check_tests)

# Small input files for the program, written at configure time.
set(check_data ${CMAKE_CURRENT_BINARY_DIR}/check_data)
set(check_header "cell right bottom left top column row kind lw bw a b c\nh2\nh3\n")
file(WRITE ${check_data}/Corridor.csv "${check_header}"
  "1 2 -1 -1 -1 1 1 floor 0 0 a b c\n"
  "2 3 -1 1 -1 2 1 floor 0 0 a b c\n"
  "3 -1 -1 2 -1 3 1 floor 1 0 a b c\n")
file(WRITE ${check_data}/Exits.dat "1\n")
file(WRITE ${check_data}/Corridor.times.csv "cell,column,row,seconds\n1,1,1,0\n2,2,1,4\n3,3,1,\n")
# A comma after a number, text that is not UTF-8 and a quote, for the JSON.
file(WRITE ${check_data}/Broken.csv "${check_header}" "1 2, -1 -1 -1 1 1 f 0 0 a b c\n")
file(WRITE ${check_data}/Broken.dat "1 99999 \"x\\\n")

set(check $<TARGET_FILE:orvik-check>)
add_test(NAME check.CleanFilesGiveStatusZero COMMAND ${check} ${check_data}/Corridor.csv ${check_data}/Exits.dat)

# The shipped sample station, read from ../in/ as the program does (from
# in/ itself, ../in is in/).
if(EXISTS ${PROJECT_SOURCE_DIR}/in/Mesh.csv)
  add_test(NAME check.SampleStationLoadsWhole COMMAND ${check})
  set_tests_properties(check.SampleStationLoadsWhole PROPERTIES
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/in LABELS check)
endif()

# The checker on files (tests/e2e/file_cases.py says what each proves):
# statuses and messages, a times file compared byte for byte, output that
# cannot be written, outputs that would replace an input, memory under a cap
# whatever the files hold, endless input, argument errors, the progress line.
foreach(case TimesFile BrokenFileGivesStatusOne MissingFileGivesStatusTwo JsonParses
    EndlessHeaderLineEnds FullOutputGivesStatusTwo TimesFileFailureIsTheStatusReported
    OutputsNeverReplaceAnInput TimesNeverReplacesADoorFile HugeAndEndlessFilesUnderACap
    MillionRepeatsUnderACap ArgumentErrorsNameTheValue ProgressAtATerminal)
  orvik_file_case(check.${case})
  set_tests_properties(check.${case} PROPERTIES LABELS check)
endforeach()
orvik_file_case(plan2mesh.EndlessLineEnds)
set_tests_properties(plan2mesh.EndlessLineEnds PROPERTIES LABELS check)
set_tests_properties(check.CleanFilesGiveStatusZero PROPERTIES LABELS check)
set_tests_properties(check.HugeAndEndlessFilesUnderACap check.MillionRepeatsUnderACap
  PROPERTIES LABELS "check;memcap")
set_tests_properties(check.ProgressAtATerminal PROPERTIES SKIP_RETURN_CODE 77)

# The command line a planner uses: --plan, --block by name with --limit and
# --list, door files of an earlier run, and the arguments refused.
foreach(case PlanOption BlockAndList RefusedArguments StaleDoorFiles SampleStation)
  add_test(NAME check.CommandLine.${case}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/e2e/check_cases.py
      --check ${check} --plan2mesh $<TARGET_FILE:plan2mesh>
      --scratch ${CMAKE_CURRENT_BINARY_DIR}/check_cases/${case} ${case})
  set_tests_properties(check.CommandLine.${case} PROPERTIES LABELS check TIMEOUT 120)
endforeach()
