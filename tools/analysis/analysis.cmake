# Analyses for the companion tools and benchmarks: walks over the cell table
# beside the program's own.
add_library(orvik_analysis STATIC
  ${CMAKE_CURRENT_LIST_DIR}/walks.cpp)
target_include_directories(orvik_analysis PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(orvik_analysis PUBLIC orvik_core)
