// Application shell: the GLUT callbacks and the key table behind them.
#pragma once

#include "draw/draw.h"

// What a key asks of the program beyond a change of view.
enum class KeyCommand {
  None,      // not a key of the table, or a pan, zoom or reset already applied
  Snapshot,  // write the window to the snapshot file
  Quit,      // end the process with status 0
};

// onKeyboard, and tests: applies key to `view` (pan, zoom, reset) and says
// what else the key asks for. Letters are told apart by case.
KeyCommand applyKey(unsigned char key, ViewState& view);

// GLUT display callback: presents the previous frame, draws the next one.
// Needs the window's context current and loadScene done.
void onDisplay();

// GLUT keyboard callback; the mouse position is ignored.
void onKeyboard(unsigned char key, int x, int y);
