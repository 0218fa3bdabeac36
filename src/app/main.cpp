#include <GL/glut.h>

#include "app/app.h"

int main(int argc, char** argv) {
  // The scene is read before GLUT starts, so no window exists while the
  // files are read; whatever they held, the window opens.
  loadScene();

  int glutArgc = argc;  // GLUT may take its own options out of the list
  openWindow(glutArgc, argv);
  glutDisplayFunc(onDisplay);
  glutIdleFunc(glutPostRedisplay);  // frames follow each other without pause
  glutKeyboardFunc(onKeyboard);
  glutMainLoop();
  return 0;
}
