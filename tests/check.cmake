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

# Output that cannot be written is a failure, never a silent status 0: a
# full standard output, a JSON report cut off by a full file system (the
# file-size limit plays it), a times file on a full disk (the report, written
# after it, states the status really returned), and an empty times path.
add_test(NAME check.FullOutputGivesStatusTwo
  COMMAND sh -c "cd \"$1\" && { \"$0\" Corridor.csv Exits.dat >/dev/full 2>\"$2/full.err\"; test $? -eq 2; } && grep -q 'cannot write the report' \"$2/full.err\" && { (trap '' XFSZ; ulimit -f 1; \"$0\" Corridor.csv Exits.dat --json >\"$2/cut.json\" 2>\"$2/cut.err\"); test $? -eq 2; } && grep -q 'cannot write the report' \"$2/cut.err\""
          ${check} ${check_data} ${CMAKE_CURRENT_BINARY_DIR})
add_test(NAME check.TimesFileFailureIsTheStatusReported
  COMMAND sh -c "cd \"$1\" && \"$0\" Corridor.csv Exits.dat --times /dev/full >\"$2/times.out\" 2>/dev/null; s=$?; test $s -eq 2 && grep -q 'exit status 2' \"$2/times.out\" && ! grep -q 'exit status 0' \"$2/times.out\" && { \"$0\" Corridor.csv Exits.dat --times '' 2>\"$2/empty.err\" >/dev/null; test $? -eq 2; } && grep -q usage \"$2/empty.err\""
          ${check} ${check_data} ${CMAKE_CURRENT_BINARY_DIR})

# A times file or an exit file that names a file being checked (through
# another spelling or a link too) would replace the plan with the report's
# figures: refused, nothing written, status 2 and the reason said.
add_test(NAME check.OutputsNeverReplaceAnInput
  COMMAND sh -c "d=\"$1/inputs\"; rm -rf \"$d\" && mkdir -p \"$d/whatif\" && cp \"$2/Corridor.csv\" \"$d/m.csv\" && cp \"$2/Exits.dat\" \"$d/e.dat\" && cp \"$2/Exits.dat\" \"$d/whatif/door1-c1-r1.dat\" && ln -s m.csv \"$d/link\" && cd \"$d\" && for t in m.csv ./e.dat link; do { \"$0\" m.csv e.dat --times $t >out.txt 2>err.txt; test $? -eq 2; } && grep -q 'exit status 2' out.txt && grep -q 'is a file being checked' err.txt || exit 1; done && { \"$0\" m.csv whatif/door1-c1-r1.dat --exits-dir whatif >out.txt 2>err.txt; test $? -eq 2; } && grep -q 'is a file being checked' err.txt && cmp m.csv \"$2/Corridor.csv\" && cmp e.dat \"$2/Exits.dat\" && cmp whatif/door1-c1-r1.dat \"$2/Exits.dat\" && test -L link; s=$?; cd / && rm -rf \"$d\"; exit $s"
          ${check} ${CMAKE_CURRENT_BINARY_DIR} ${check_data})
set_tests_properties(check.OutputsNeverReplaceAnInput PROPERTIES LABELS check)

# Memory bounded by the tables whatever the files hold: a 4 GB sparse mesh
# file, /dev/urandom, and a million repeated records, each under a cap of
# address space far below what reading them whole took.
add_test(NAME check.HugeAndEndlessFilesUnderACap
  COMMAND sh -c "d=\"$1/huge\"; rm -rf \"$d\" && mkdir -p \"$d\" && truncate -s 4G \"$d/sparse.csv\" && ln -s /dev/urandom \"$d/random\" && (ulimit -v 2000000; \"$0\" \"$d/sparse.csv\" \"$d/random\" >\"$d/a.txt\"; test $? -eq 1) && (ulimit -v 2000000; \"$0\" \"$d/random\" \"$d/random\" --json >\"$d/b.json\"; test $? -eq 1) && grep -q 'no record is read' \"$d/a.txt\"; s=$?; rm -rf \"$d\"; exit $s"
          ${check} ${CMAKE_CURRENT_BINARY_DIR})
add_test(NAME check.MillionRepeatsUnderACap
  COMMAND sh -c "d=\"$1/repeats\"; rm -rf \"$d\" && mkdir -p \"$d\" && printf 'h\\nh\\nh\\n' >\"$d/m.csv\" && yes '1 -1 -1 -1 -1 1 1 floor 0 0 a b c' | head -n 1000000 >>\"$d/m.csv\" && echo 1 >\"$d/e.dat\" && (ulimit -v 300000; \"$0\" \"$d/m.csv\" \"$d/e.dat\" --json >\"$d/r.json\"; test $? -eq 1) && grep -q '\"repeatedCell\":999999' \"$d/r.json\"; s=$?; rm -rf \"$d\"; exit $s"
          ${check} ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(check.FullOutputGivesStatusTwo check.TimesFileFailureIsTheStatusReported
  PROPERTIES LABELS check)
set_tests_properties(check.HugeAndEndlessFilesUnderACap check.MillionRepeatsUnderACap
  PROPERTIES LABELS "check;memcap")

# Endless input without a line break (/dev/zero) ends at the bound of a
# header line, 1 MiB, in the checker (status 1, the reason said) and in
# plan2mesh (status 1, nothing written), well within the time given.
add_test(NAME check.EndlessHeaderLineEnds
  COMMAND sh -c "timeout 60 \"$0\" /dev/zero \"$1/Exits.dat\" >\"$2/endless.txt\"; s=$?; test $s -eq 1 && grep -q 'header line 1 is longer than 1048576 bytes' \"$2/endless.txt\""
          ${check} ${check_data} ${CMAKE_CURRENT_BINARY_DIR})
add_test(NAME plan2mesh.EndlessLineEnds
  COMMAND sh -c "cd \"$1\" && rm -f endless.csv endless.dat && { timeout 60 \"$0\" /dev/zero endless.csv endless.dat 2>endless.err; test $? -eq 1; } && grep -q '/dev/zero:1: line longer than 1048576 characters' endless.err && test ! -e endless.csv"
          $<TARGET_FILE:plan2mesh> ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(check.EndlessHeaderLineEnds plan2mesh.EndlessLineEnds PROPERTIES LABELS check)

# Wrong arguments name the value that is wrong, in one line with status 2,
# and write nothing: an option where a file name belongs (--times --json) is
# a slip, not a file called --json; after -- a name may start with -.
add_test(NAME check.ArgumentErrorsNameTheValue
  COMMAND sh -c "d=\"$1/args\"; rm -rf \"$d\" && mkdir -p \"$d\" && cd \"$d\" && cp \"$2/Corridor.csv\" m.csv && cp \"$2/Exits.dat\" e.dat && for a in '--limit abc/abc' '--limit -4/-4' '--max-doors 0/not 0' '--times --json/the option --json' '--exits-dir -x/the option -x' '--bogus/unknown option --bogus' 'x/a third file x'; do { \"$0\" m.csv e.dat \${a%%/*} >out.txt 2>err.txt; test $? -eq 2; } && test \"$(wc -l <err.txt)\" -eq 1 && grep -qF -- \"\${a#*/}\" err.txt && test ! -s out.txt || { echo \"$a\"; cat err.txt; exit 1; }; done && test ! -e ./--json && test ! -e ./-x && cp m.csv ./-m.csv && \"$0\" --times t.csv -- -m.csv e.dat >/dev/null 2>&1 && test -s t.csv; s=$?; cd / && rm -rf \"$d\"; exit $s"
          ${check} ${CMAKE_CURRENT_BINARY_DIR} ${check_data})
# A times file that is one of the exit files of --exits-dir in the same run
# would replace a door's case: refused before anything is written.
add_test(NAME check.TimesNeverReplacesADoorFile
  COMMAND sh -c "d=\"$1/doorclash\"; rm -rf \"$d\" && mkdir -p \"$d\" && cd \"$d\" && { \"$0\" \"$2/Corridor.csv\" \"$2/Exits.dat\" --exits-dir w --times w/door1-c1-r1.dat >out.txt 2>err.txt; test $? -eq 2; } && grep -q 'is one of the exit files of --exits-dir; nothing is written' err.txt && grep -q 'exit status 2' out.txt && test -z \"$(ls w)\"; s=$?; cd / && rm -rf \"$d\"; exit $s"
          ${check} ${CMAKE_CURRENT_BINARY_DIR} ${check_data})
# At a terminal (script gives one) the doors blocked show on standard error,
# and the line is erased before the report; in a pipe nothing shows.
add_test(NAME check.ProgressAtATerminal
  COMMAND sh -c "command -v script >/dev/null || exit 77; d=\"$1/progress\"; rm -rf \"$d\" && mkdir -p \"$d\" && cd \"$d\" && printf 'E..E\\n....\\n' >two.plan && \"$2\" two.plan m.csv e.dat && script -qec \"'$0' m.csv e.dat --blocked >report.txt\" /dev/null >tty.txt && grep -q 'orvik-check: 0 of 2 doors blocked' tty.txt && ! grep -q 'doors blocked' report.txt && \"$0\" m.csv e.dat --blocked 2>pipe.err >/dev/null && test ! -s pipe.err; s=$?; cd / && rm -rf \"$d\"; exit $s"
          ${check} ${CMAKE_CURRENT_BINARY_DIR} $<TARGET_FILE:plan2mesh>)
set_tests_properties(check.ProgressAtATerminal PROPERTIES SKIP_RETURN_CODE 77)
set_tests_properties(check.ArgumentErrorsNameTheValue check.TimesNeverReplacesADoorFile
  check.ProgressAtATerminal PROPERTIES LABELS check)

# The command line a planner uses: --plan, --block by name with --limit and
# --list, door files of an earlier run, and the arguments refused.
foreach(case PlanOption BlockAndList RefusedArguments StaleDoorFiles SampleStation)
  add_test(NAME check.CommandLine.${case}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/e2e/check_cases.py
      --check ${check} --plan2mesh $<TARGET_FILE:plan2mesh>
      --scratch ${CMAKE_CURRENT_BINARY_DIR}/check_cases/${case} ${case})
  set_tests_properties(check.CommandLine.${case} PROPERTIES LABELS check TIMEOUT 120)
endforeach()
