#include <GL/glut.h>

#include <cstdlib>

#include "app/app.h"
#include "snapshot/snapshot.h"

void onDisplay() {
  // Swap first: the screen shows the previous frame, and between calls the
  // back buffer holds the newest complete picture, which the snapshot reads.
  glutSwapBuffers();
  drawLegend();
  setMapView();
  drawCells();
  drawWalls();
}

// No redisplay request here: the idle callback keeps frames coming.
void onKeyboard(unsigned char key, int, int) {
  switch (applyKey(key, viewState)) {
    case KeyCommand::Snapshot: saveSnapshot(); break;
    case KeyCommand::Quit: std::exit(0);
    case KeyCommand::None: break;
  }
}
