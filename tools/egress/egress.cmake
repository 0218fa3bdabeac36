# orvik-egress: people, capacities and queues on a plan. The model and its
# reports are a library, so that the tests drive them in memory; main.cpp
# is the command.
find_package(tomlplusplus 3 REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)

add_library(orvik_egress STATIC
  ${CMAKE_CURRENT_LIST_DIR}/scenario.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scenario_plan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scenario_joins.cpp
  ${CMAKE_CURRENT_LIST_DIR}/travel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/people.cpp
  ${CMAKE_CURRENT_LIST_DIR}/model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/routes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cases.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/json_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/chart.cpp)
target_include_directories(orvik_egress PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(orvik_egress PUBLIC orvik_core orvik_analysis
  PRIVATE Threads::Threads tomlplusplus::tomlplusplus nlohmann_json::nlohmann_json PkgConfig::CAIRO)

add_executable(orvik-egress ${CMAKE_CURRENT_LIST_DIR}/main.cpp ${CMAKE_CURRENT_LIST_DIR}/command.cpp)
target_link_libraries(orvik-egress PRIVATE orvik_egress orvik_plan_input)
