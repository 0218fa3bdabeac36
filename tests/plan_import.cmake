# dxf2plan and img2plan on DXF drawings written with Debian's ezdxf and
# pictures written byte by byte, through plan2mesh and orvik-check to
# walking times; skipped without ezdxf.
add_test(NAME planimport.Cases
  COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/plan_import_cases.py
    --dxf2plan $<TARGET_FILE:dxf2plan> --img2plan $<TARGET_FILE:img2plan>
    --plan2mesh $<TARGET_FILE:plan2mesh> --check $<TARGET_FILE:orvik-check>
    --scratch ${CMAKE_CURRENT_BINARY_DIR}/plan_import)
set_tests_properties(planimport.Cases PROPERTIES LABELS planimport SKIP_RETURN_CODE 77 TIMEOUT 300)

# The parts without files: geometry, the grid, the DXF reader's checks,
# roles, the plan text, the palette.
add_executable(plan_import_tests dxf2plan_test.cpp img2plan_test.cpp plan_levels_test.cpp)
target_link_libraries(plan_import_tests PRIVATE dxf2plan_lib img2plan_lib GTest::gtest_main)
gtest_discover_tests(plan_import_tests)
