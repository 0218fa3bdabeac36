// Application shell: the window, its GLUT callbacks and the key table.
#pragma once

#include "draw/draw.h"

constexpr char kWindowTitle[] = "ORVIK UNDERGROUND";

// What a key asks of the program beyond a change of view.
enum class KeyCommand {
  None,      // a pan, zoom or reset, already applied
  NotAKey,   // no key of the table; nothing changed
  Snapshot,  // write the window to the snapshot file
  Quit,      // end the process with status 0
};

// Pure: applies key to `view` (pan, zoom, reset) and says what else the key
// asks for. Letters are told apart by case.
KeyCommand applyKey(unsigned char key, ViewState& view);

// Needs an X display: initialises GLUT with the arguments (it may take its
// own options out of them) and leaves one 800 by 600 double-buffered window
// titled kWindowTitle, current and cleared to white, with no callbacks yet.
void openWindow(int& argc, char** argv);

// GL, with GLUT initialised: draws `text` in GLUT's Times Roman 24 bitmap
// font from the current raster position.
void drawGlutGlyphs(const char* text);

// GLUT display callback, with the window current and the scene loaded:
// presents the previous frame and draws the next one into the back buffer.
void onDisplay();

// GLUT keyboard callback; the mouse position is ignored.
void onKeyboard(unsigned char key, int x, int y);
