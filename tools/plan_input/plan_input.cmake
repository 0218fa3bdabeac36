# --plan DIR or --plan FILE.plan, shared by the companion programs: a plan
# file is converted with plan2mesh's own library.
add_library(orvik_plan_input STATIC ${CMAKE_CURRENT_LIST_DIR}/plan_input.cpp)
target_include_directories(orvik_plan_input PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(orvik_plan_input PUBLIC plan2mesh_lib orvik_core)
