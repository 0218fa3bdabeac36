# orvik-check: what the program makes of a mesh and exit file, and why.
# The report is a library of its own so the tests and the fuzzer use it
# without files.
add_library(orvik_check_report STATIC ${CMAKE_CURRENT_LIST_DIR}/check_report.cpp)
target_include_directories(orvik_check_report PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(orvik_check_report PUBLIC orvik_core)

add_executable(orvik-check ${CMAKE_CURRENT_LIST_DIR}/orvik_check.cpp)
target_link_libraries(orvik-check PRIVATE orvik_check_report)
