# img2plan: a painted PNG (a pixel a cell, a colour a kind) -> a text plan
# for plan2mesh. libpng reads the picture, toml++ a palette file;
# everything but main is a library for the tests.
find_package(PNG REQUIRED)
find_path(TOMLPLUSPLUS_INCLUDE toml++/toml.h REQUIRED)

set(ORVIK_IMG2PLAN_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(img2plan_lib STATIC
  ${ORVIK_IMG2PLAN_DIR}/palette.cpp
  ${ORVIK_IMG2PLAN_DIR}/picture.cpp
  ${ORVIK_IMG2PLAN_DIR}/convert.cpp
  ${ORVIK_IMG2PLAN_DIR}/report.cpp
  ${ORVIK_IMG2PLAN_DIR}/run.cpp
  ${ORVIK_IMG2PLAN_DIR}/levels_run.cpp)
target_include_directories(img2plan_lib PUBLIC ${ORVIK_IMG2PLAN_DIR} ${TOMLPLUSPLUS_INCLUDE})
target_link_libraries(img2plan_lib PUBLIC orvik_planmake PNG::PNG)

add_executable(img2plan ${ORVIK_IMG2PLAN_DIR}/main.cpp)
target_link_libraries(img2plan PRIVATE img2plan_lib)
