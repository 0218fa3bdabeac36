# orvik-check: what the program makes of a mesh and exit file, and why. The
# checking is a library of its own, so the tests and the fuzzer use it
# without files; main.cpp is the command.
add_library(orvik_check STATIC
  ${CMAKE_CURRENT_LIST_DIR}/check_plan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mesh_checks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plan_checks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/exit_checks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/time_summary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/geodesic_summary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/doors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/limit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/levels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/words.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_whatif.cpp
  ${CMAKE_CURRENT_LIST_DIR}/json_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/times_csv.cpp
  ${CMAKE_CURRENT_LIST_DIR}/progress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/over_csv.cpp
  ${CMAKE_CURRENT_LIST_DIR}/block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unreached.cpp)
target_include_directories(orvik_check PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(orvik_check PUBLIC orvik_core orvik_analysis PRIVATE nlohmann_json::nlohmann_json)

add_executable(orvik-check ${CMAKE_CURRENT_LIST_DIR}/main.cpp ${CMAKE_CURRENT_LIST_DIR}/command_plan.cpp)
target_link_libraries(orvik-check PRIVATE orvik_check orvik_plan_input)
