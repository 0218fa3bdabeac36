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

# The fonts of annotated pictures, from the same package: Helvetica, Latin-1,
# small, normal and large pictures' labels and titles (report_text.h).
set(ORVIK_REPORT_FONT_DIR "" CACHE PATH "Folder of the X bitmap fonts of annotated pictures")
if(NOT ORVIK_REPORT_FONT_DIR)
  get_filename_component(ORVIK_REPORT_FONT_DIR "${ORVIK_LABEL_FONT}" DIRECTORY)
endif()
set(ORVIK_REPORT_FONT_SOURCES "")
foreach(font helvR10 helvB12 helvR12 helvB18 helvR18 helvB24)
  set(font_file ${ORVIK_REPORT_FONT_DIR}/${font}-ISO8859-1.pcf.gz)
  if(NOT EXISTS "${font_file}")
    message(FATAL_ERROR "No report font at ${font_file}: install xfonts-75dpi")
  endif()
  set(font_source ${CMAKE_CURRENT_BINARY_DIR}/report_font_${font}.cpp)
  add_custom_command(OUTPUT ${font_source}
    COMMAND orvik_glyph_table ${font_file} ${font_source} ${font}
    DEPENDS orvik_glyph_table ${font_file}
    COMMENT "Report font ${font}")
  list(APPEND ORVIK_REPORT_FONT_SOURCES ${font_source})
endforeach()

# Everything but main, so that the tests and the benchmarks drive the parts.
add_library(orvik_render_lib STATIC
  ${ORVIK_RENDER_DIR}/args.cpp
  ${ORVIK_RENDER_DIR}/plan_files.cpp
  ${ORVIK_RENDER_DIR}/usage.cpp
  ${ORVIK_RENDER_DIR}/offscreen.cpp
  ${ORVIK_RENDER_DIR}/driver_env.cpp
  ${ORVIK_RENDER_DIR}/glyphs.cpp
  ${ORVIK_RENDER_DIR}/times.cpp
  ${ORVIK_RENDER_DIR}/input_notes.cpp
  ${ORVIK_RENDER_DIR}/png.cpp
  ${ORVIK_RENDER_DIR}/report_options.cpp
  ${ORVIK_RENDER_DIR}/report_plan.cpp
  ${ORVIK_RENDER_DIR}/report_colours.cpp
  ${ORVIK_RENDER_DIR}/report_layout.cpp
  ${ORVIK_RENDER_DIR}/report_words.cpp
  ${ORVIK_RENDER_DIR}/report_text.cpp
  ${ORVIK_RENDER_DIR}/report_draw.cpp
  ${ORVIK_GLYPH_SOURCE}
  ${ORVIK_REPORT_FONT_SOURCES})
target_include_directories(orvik_render_lib PUBLIC ${ORVIK_RENDER_DIR})
find_package(Threads REQUIRED)
target_link_libraries(orvik_render_lib PUBLIC orvik_draw orvik_analysis orvik_plan_input OpenGL::EGL PNG::PNG
  Threads::Threads)

add_executable(orvik-render ${ORVIK_RENDER_DIR}/render_main.cpp)
target_link_libraries(orvik-render PRIVATE orvik_render_lib)
