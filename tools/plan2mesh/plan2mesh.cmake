# plan2mesh: text floor plan -> Mesh.csv and ExitGrid.dat. The converter is
# a library so that the tests drive the whole command without a process.
add_library(plan2mesh_lib STATIC
  ${CMAKE_CURRENT_LIST_DIR}/plan2mesh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/levels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/joins.cpp
  ${CMAKE_CURRENT_LIST_DIR}/door_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command.cpp)
target_include_directories(plan2mesh_lib PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(plan2mesh_lib PUBLIC orvik_core orvik_analysis)

add_executable(plan2mesh ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(plan2mesh PRIVATE plan2mesh_lib)
