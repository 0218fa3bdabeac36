# orvik-render: the map drawn offscreen (EGL on Mesa's surfaceless
# platform), written as PNG (libpng) or BMP. The label glyphs are read from
# the X bitmap font at build time and compiled in, so that the program needs
# nothing but itself and Mesa when it runs.
find_package(OpenGL REQUIRED COMPONENTS EGL)
find_package(PNG REQUIRED)
find_package(Freetype REQUIRED)

# GLUT's Times Roman 24 was made from this font (Debian: xfonts-75dpi).
set(ORVIK_LABEL_FONT /usr/share/fonts/X11/75dpi/timR24-ISO8859-1.pcf.gz
  CACHE FILEPATH "X bitmap font of the legend labels")
if(NOT EXISTS "${ORVIK_LABEL_FONT}")
  message(FATAL_ERROR "No label font at ${ORVIK_LABEL_FONT}: install xfonts-75dpi "
    "(scripts/deps.sh does) or set ORVIK_LABEL_FONT")
endif()

set(ORVIK_RENDER_DIR ${CMAKE_CURRENT_LIST_DIR})
add_executable(orvik_glyph_table ${ORVIK_RENDER_DIR}/glyph_table.cpp)
target_link_libraries(orvik_glyph_table PRIVATE orvik_core Freetype::Freetype)
set_target_properties(orvik_glyph_table PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

set(ORVIK_GLYPH_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/label_glyphs.cpp)
add_custom_command(OUTPUT ${ORVIK_GLYPH_SOURCE}
  COMMAND orvik_glyph_table ${ORVIK_LABEL_FONT} ${ORVIK_GLYPH_SOURCE}
  DEPENDS orvik_glyph_table ${ORVIK_LABEL_FONT}
  COMMENT "Label glyphs from ${ORVIK_LABEL_FONT}")

# Everything but main, so that the tests and the benchmarks drive the parts.
add_library(orvik_render_lib STATIC
  ${ORVIK_RENDER_DIR}/args.cpp
  ${ORVIK_RENDER_DIR}/offscreen.cpp
  ${ORVIK_RENDER_DIR}/driver_env.cpp
  ${ORVIK_RENDER_DIR}/glyphs.cpp
  ${ORVIK_RENDER_DIR}/times.cpp
  ${ORVIK_RENDER_DIR}/input_notes.cpp
  ${ORVIK_RENDER_DIR}/png.cpp
  ${ORVIK_GLYPH_SOURCE})
target_include_directories(orvik_render_lib PUBLIC ${ORVIK_RENDER_DIR})
find_package(Threads REQUIRED)
target_link_libraries(orvik_render_lib PUBLIC orvik_draw orvik_analysis OpenGL::EGL PNG::PNG
  Threads::Threads)

add_executable(orvik-render ${ORVIK_RENDER_DIR}/render_main.cpp)
target_link_libraries(orvik-render PRIVATE orvik_render_lib)
