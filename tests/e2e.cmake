# End-to-end tests: the real program in a private Xvfb of each test, keys
# sent to its window, snapshot.bmp read back. Each test works in its own
# folder under the build tree, so they run side by side with ctest -j.
set(ORVIK_E2E_DIR ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
set(ORVIK_E2E_SCRATCH ${CMAKE_CURRENT_BINARY_DIR}/e2e)

foreach(case StartPicture Pan ZoomAndReset ZoomFloor SnapshotFile SnapshotBlocked
    KeysThenSnapshotAtOnce HugeAndEndlessInputs TwoLevelSample)
  add_test(NAME e2e.${case}
    COMMAND ${Python3_EXECUTABLE} ${ORVIK_E2E_DIR}/program_cases.py
      --orvik $<TARGET_FILE:orvik> --scratch ${ORVIK_E2E_SCRATCH}/${case} ${case})
endforeach()

foreach(case Picture BadArguments)
  add_test(NAME e2e.SnapshotScript.${case}
    COMMAND ${Python3_EXECUTABLE} ${ORVIK_E2E_DIR}/snapshot_script_cases.py
      --script ${PROJECT_SOURCE_DIR}/scripts/snapshot --render $<TARGET_FILE:orvik-render>
      --scratch ${ORVIK_E2E_SCRATCH}/SnapshotScript.${case} ${case})
endforeach()

# scripts/view: the window on a plan folder or a .plan file, in Xvfb.
foreach(case PlanFile Folder BadArguments)
  add_test(NAME e2e.View.${case}
    COMMAND ${Python3_EXECUTABLE} ${ORVIK_E2E_DIR}/view_cases.py
      --script ${PROJECT_SOURCE_DIR}/scripts/view --build $<TARGET_FILE_DIR:orvik>
      --scratch ${ORVIK_E2E_SCRATCH}/View.${case} ${case})
endforeach()

get_property(orvik_e2e_tests DIRECTORY PROPERTY TESTS)
list(FILTER orvik_e2e_tests INCLUDE REGEX "^e2e\\.")
set_tests_properties(${orvik_e2e_tests} PROPERTIES LABELS e2e TIMEOUT 120)
# Under a cap of address space, which the sanitizers' shadow memory cannot live with.
set_tests_properties(e2e.HugeAndEndlessInputs PROPERTIES LABELS "e2e;memcap")

# orvik-render against the window (label e2e, in Xvfb), and on its own
# (label render: no X server, DISPLAY unset by the driver).
foreach(case WindowStart WindowKeys WindowStation Arguments Unwritable TimesColours Batch
    WhatIfPictures Limits BrokenInputs PlanFile)
  add_test(NAME render.${case}
    COMMAND ${Python3_EXECUTABLE} ${ORVIK_E2E_DIR}/render_cases.py
      --render $<TARGET_FILE:orvik-render> --orvik $<TARGET_FILE:orvik>
      --check $<TARGET_FILE:orvik-check>
      --scratch ${ORVIK_E2E_SCRATCH}/render.${case} ${case})
  if(case MATCHES "^Window")
    set_tests_properties(render.${case} PROPERTIES LABELS e2e TIMEOUT 180)
  else()
    set_tests_properties(render.${case} PROPERTIES LABELS render TIMEOUT 120)
  endif()
endforeach()
# Under ulimit -u and -v, which the sanitizers' threads and shadow memory cannot live with.
set_tests_properties(render.Limits PROPERTIES LABELS "render;memcap")

# orvik-render --annotate: the pixels of report pictures against the
# plan's own times, marks and ticks worked out in the test (label render).
foreach(case LimitAndMarks ScaleTicks ReportArguments)
  add_test(NAME render.Report.${case}
    COMMAND ${Python3_EXECUTABLE} ${ORVIK_E2E_DIR}/report_cases.py
      --render $<TARGET_FILE:orvik-render> --scratch ${ORVIK_E2E_SCRATCH}/render.Report.${case}
      ${case})
  set_tests_properties(render.Report.${case} PROPERTIES LABELS render TIMEOUT 120)
endforeach()

# orvik-render --block: one command for the blocked-door picture, byte for
# byte the two-command route through orvik-check's door files (label render).
foreach(case SampleNorthStair OwnPlanTwoDoors TimesWithABlockedDoor Refusals)
  add_test(NAME render.Block.${case}
    COMMAND ${Python3_EXECUTABLE} ${ORVIK_E2E_DIR}/block_cases.py
      --render $<TARGET_FILE:orvik-render> --check $<TARGET_FILE:orvik-check>
      --sample ${PROJECT_SOURCE_DIR}/in --scratch ${ORVIK_E2E_SCRATCH}/render.Block.${case}
      ${case})
  set_tests_properties(render.Block.${case} PROPERTIES LABELS render TIMEOUT 180)
endforeach()
