#include <GL/glut.h>

#include <cstdlib>

#include "app/app.h"
#include "snapshot/snapshot.h"

void onDisplay() {
  // Swap first: the screen shows the previous frame, and between calls the
  // back buffer holds the newest complete picture.
  glutSwapBuffers();
  drawFrame(drawGlutGlyphs);
}

// No redisplay request here: the idle callback keeps frames coming.
void onKeyboard(unsigned char key, int, int) {
  switch (applyKey(key, viewState)) {
    case KeyCommand::Snapshot:
      // Keys that came in the same batch as "s" changed the view after the
      // back buffer was drawn: draw the view as it is now (without a swap),
      // so the file shows what every earlier key produced.
      drawFrame(drawGlutGlyphs);
      saveSnapshot();
      break;
    case KeyCommand::Quit: std::exit(0);
    case KeyCommand::None:
    case KeyCommand::NotAKey: break;
  }
}
