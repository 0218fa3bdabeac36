#include <GL/glut.h>

#include "app/app.h"

namespace {

constexpr char kWindowTitle[] = "ORVIK UNDERGROUND";

}  // namespace

int main(int argc, char** argv) {
  // The scene is read before GLUT starts, so no window exists while the
  // files are read; whatever they held, the window opens.
  loadScene();

  int glutArgc = argc;  // GLUT may take its own options out of the list
  glutInit(&glutArgc, argv);
  glutInitWindowSize(kWindowWidth, kWindowHeight);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow(kWindowTitle);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  glutDisplayFunc(onDisplay);
  glutIdleFunc(glutPostRedisplay);  // frames follow each other without pause
  glutKeyboardFunc(onKeyboard);
  glutMainLoop();
  return 0;
}
