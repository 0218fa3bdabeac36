#include <GL/glut.h>

#include "app/app.h"

void openWindow(int& argc, char** argv) {
  glutInit(&argc, argv);
  glutInitWindowSize(kWindowWidth, kWindowHeight);
  glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow(kWindowTitle);
  glClearColor(1, 1, 1, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void drawGlutGlyphs(const char* text) {
  for (const char* c = text; *c != '\0'; ++c) {
    glutBitmapCharacter(GLUT_BITMAP_TIMES_ROMAN_24, static_cast<unsigned char>(*c));
  }
}
