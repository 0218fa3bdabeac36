# What the plan-making tools (dxf2plan, img2plan) share: the grid of cells
# and the text plan it becomes, with plan2mesh's own characters; levels
# and the joins between them.
find_path(TOMLPLUSPLUS_INCLUDE toml++/toml.h REQUIRED)
add_library(orvik_planmake STATIC ${CMAKE_CURRENT_LIST_DIR}/plan_grid.cpp ${CMAKE_CURRENT_LIST_DIR}/levels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/small_inputs.cpp)
target_include_directories(orvik_planmake PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${TOMLPLUSPLUS_INCLUDE})
target_link_libraries(orvik_planmake PUBLIC plan2mesh_lib)
