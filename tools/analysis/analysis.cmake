# Analyses of a loaded scene for the companion tools and the benchmarks:
# the breadth-first walk that holds the program's times to account, and the
# geodesic walking time of every cell, to set beside the side-move count;
# the tags plan2mesh writes into a record for them; file text made safe for
# a terminal line; and, for plans of any size, a plan-sized graph of the
# cells with the doors and a walk with a cost per cell over it.
add_library(orvik_analysis STATIC
  ${CMAKE_CURRENT_LIST_DIR}/walks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/geodesic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/floor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/record_tags.cpp
  ${CMAKE_CURRENT_LIST_DIR}/join_tags.cpp
  ${CMAKE_CURRENT_LIST_DIR}/level_joins.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plain_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plan_graph.cpp
  ${CMAKE_CURRENT_LIST_DIR}/door_groups.cpp
  ${CMAKE_CURRENT_LIST_DIR}/door_choice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cost_walk.cpp)
target_include_directories(orvik_analysis PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(orvik_analysis PUBLIC orvik_core)
