# dxf2plan: an architect's DXF drawing -> a text plan for plan2mesh. The
# drawing is read with dxflib (Debian's libdxflib-dev), the roles file with
# toml++; everything but main is a library for the tests and the fuzzer.
find_package(PkgConfig REQUIRED)
pkg_check_modules(DXFLIB REQUIRED IMPORTED_TARGET dxflib)
find_path(TOMLPLUSPLUS_INCLUDE toml++/toml.h REQUIRED)

set(ORVIK_DXF2PLAN_DIR ${CMAKE_CURRENT_LIST_DIR})
add_library(dxf2plan_lib STATIC
  ${ORVIK_DXF2PLAN_DIR}/geometry.cpp
  ${ORVIK_DXF2PLAN_DIR}/dxf_read.cpp
  ${ORVIK_DXF2PLAN_DIR}/dxf_entities.cpp
  ${ORVIK_DXF2PLAN_DIR}/dxf_checks.cpp
  ${ORVIK_DXF2PLAN_DIR}/blocks.cpp
  ${ORVIK_DXF2PLAN_DIR}/roles.cpp
  ${ORVIK_DXF2PLAN_DIR}/raster.cpp
  ${ORVIK_DXF2PLAN_DIR}/draw_roles.cpp
  ${ORVIK_DXF2PLAN_DIR}/plan_build.cpp
  ${ORVIK_DXF2PLAN_DIR}/convert.cpp
  ${ORVIK_DXF2PLAN_DIR}/summary.cpp
  ${ORVIK_DXF2PLAN_DIR}/run.cpp
  ${ORVIK_DXF2PLAN_DIR}/levels_run.cpp)
target_include_directories(dxf2plan_lib PUBLIC ${ORVIK_DXF2PLAN_DIR} ${TOMLPLUSPLUS_INCLUDE})
target_link_libraries(dxf2plan_lib PUBLIC orvik_planmake PkgConfig::DXFLIB)

add_executable(dxf2plan ${ORVIK_DXF2PLAN_DIR}/main.cpp)
target_link_libraries(dxf2plan PRIVATE dxf2plan_lib)
