# orvik-check: the report on texts in memory, and the real program on files.
add_executable(orvik_check_tests ${CMAKE_CURRENT_LIST_DIR}/check_test.cpp)
target_link_libraries(orvik_check_tests PRIVATE orvik_check GTest::gtest_main nlohmann_json::nlohmann_json)
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
add_test(NAME check.TimesFile
  COMMAND sh -c "\"$0\" \"$1/Corridor.csv\" \"$1/Exits.dat\" --times \"$2/corridor_times.csv\" >/dev/null && cmp \"$2/corridor_times.csv\" \"$1/Corridor.times.csv\""
          ${check} ${check_data} ${CMAKE_CURRENT_BINARY_DIR})
add_test(NAME check.BrokenFileGivesStatusOne
  COMMAND sh -c "\"$0\" \"$1/Broken.csv\" \"$1/Broken.dat\"; test $? -eq 1" ${check} ${check_data})
add_test(NAME check.MissingFileGivesStatusTwo
  COMMAND sh -c "\"$0\" \"$1/NoSuch.csv\" \"$1/Exits.dat\" >\"$2/missing.txt\"; s=$?; grep -q 'NoSuch.csv: cannot read' \"$2/missing.txt\" && test $s -eq 2"
          ${check} ${check_data} ${CMAKE_CURRENT_BINARY_DIR})
add_test(NAME check.JsonParses
  COMMAND sh -c "\"$0\" \"$1/Broken.csv\" \"$1/Broken.dat\" --json | \"$2\" -c 'import json,sys; d=json.load(sys.stdin); assert d[\"status\"] == 1 and d[\"mesh\"][\"stop\"][\"field\"] == 3'"
          ${check} ${check_data} ${Python3_EXECUTABLE})

# The shipped sample station, read from ../in/ as the program does (from
# in/ itself, ../in is in/).
if(EXISTS ${PROJECT_SOURCE_DIR}/in/Mesh.csv)
  add_test(NAME check.SampleStationLoadsWhole COMMAND ${check})
  set_tests_properties(check.SampleStationLoadsWhole PROPERTIES
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/in LABELS check)
endif()
set_tests_properties(check.CleanFilesGiveStatusZero check.TimesFile check.BrokenFileGivesStatusOne
  check.MissingFileGivesStatusTwo check.JsonParses PROPERTIES LABELS check)
