// The offscreen context: EGL on Mesa's surfaceless platform, which needs no
// X server and no GPU (llvmpipe draws), a desktop OpenGL compatibility
// context for the fixed-function drawing, and a pbuffer of the picture's
// size to draw into and read back.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>
#include <system_error>
#include <thread>

#include "render.h"

namespace {

EGLDisplay display = EGL_NO_DISPLAY;     // the surfaceless platform's display
EGLConfig config = nullptr;              // 8-bit RGB, no alpha, no multisampling
EGLContext context = EGL_NO_CONTEXT;     // compatibility profile
EGLSurface surface = EGL_NO_SURFACE;     // pbuffer, surfaceWidth by surfaceHeight
int surfaceWidth = 0;                    // px
int surfaceHeight = 0;                   // px
constexpr EGLint kWindowDepthBits = 32;  // bits, the depth buffer GLUT_DEPTH gets under Xvfb
std::thread opener;                      // runs openContext while the first scene loads
bool openerSucceeded = false;            // what openContext said on that thread
std::string openerError;                 // and why not

#define ORVIK_EGL_ERROR(name) {name, #name}
constexpr struct {
  EGLint code;
  const char* name;
} kEglErrors[] = {
    ORVIK_EGL_ERROR(EGL_NOT_INITIALIZED), ORVIK_EGL_ERROR(EGL_BAD_ACCESS),
    ORVIK_EGL_ERROR(EGL_BAD_ALLOC),       ORVIK_EGL_ERROR(EGL_BAD_ATTRIBUTE),
    ORVIK_EGL_ERROR(EGL_BAD_CONFIG),      ORVIK_EGL_ERROR(EGL_BAD_CONTEXT),
    ORVIK_EGL_ERROR(EGL_BAD_DISPLAY),     ORVIK_EGL_ERROR(EGL_BAD_MATCH),
    ORVIK_EGL_ERROR(EGL_BAD_PARAMETER),   ORVIK_EGL_ERROR(EGL_BAD_SURFACE),
};
#undef ORVIK_EGL_ERROR

const char* eglErrorName(EGLint code) {
  for (const auto& e : kEglErrors) {
    if (e.code == code) return e.name;
  }
  return "an EGL error";
}

bool fail(std::string& error, const char* what) {
  char text[200];
  std::snprintf(text, sizeof text, "no offscreen OpenGL: %s (%s)", what,
                eglErrorName(eglGetError()));
  error = text + driverLimitHint();
  return false;
}

EGLint configValue(EGLConfig c, EGLint attribute) {
  EGLint value = -1;
  eglGetConfigAttrib(display, c, attribute, &value);
  return value;
}

// The window's buffers: 8 bits a colour channel, no alpha, a 32-bit depth
// buffer that nothing tests against, no stencil, no multisampling. Each part
// matters to llvmpipe: eglChooseConfig sorts 10-bit colour first, which
// rounds smooth shading differently in some pixels, and without the depth
// buffer some flat-coloured blocks of 16 by 16 px come out one level off.
bool isWindowLike(EGLConfig c) {
  return configValue(c, EGL_RED_SIZE) == 8 && configValue(c, EGL_GREEN_SIZE) == 8 &&
         configValue(c, EGL_BLUE_SIZE) == 8 && configValue(c, EGL_ALPHA_SIZE) == 0 &&
         configValue(c, EGL_DEPTH_SIZE) == kWindowDepthBits &&
         configValue(c, EGL_STENCIL_SIZE) == 0;
}

bool chooseConfig() {
  const EGLint wanted[] = {EGL_SURFACE_TYPE,
                           EGL_PBUFFER_BIT,
                           EGL_RENDERABLE_TYPE,
                           EGL_OPENGL_BIT,
                           EGL_RED_SIZE,
                           8,
                           EGL_GREEN_SIZE,
                           8,
                           EGL_BLUE_SIZE,
                           8,
                           EGL_DEPTH_SIZE,
                           kWindowDepthBits,
                           EGL_SAMPLE_BUFFERS,
                           0,
                           EGL_NONE};
  constexpr int kMaxConfigs = 128;
  EGLConfig found[kMaxConfigs];
  EGLint count = 0;
  if (!eglChooseConfig(display, wanted, found, kMaxConfigs, &count)) return false;
  for (EGLint i = 0; i < count; ++i) {
    if (isWindowLike(found[i])) {
      config = found[i];
      return true;
    }
  }
  return false;
}

bool hasClientExtension(const char* name) {
  const char* list = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  const std::size_t length = std::strlen(name);
  for (const char* at = list; at != nullptr && (at = std::strstr(at, name)) != nullptr;
       at += length) {
    const bool startsWord = at == list || at[-1] == ' ';
    if (startsWord && (at[length] == ' ' || at[length] == '\0')) return true;
  }
  return false;
}

bool openContext(std::string& error) {
  if (!hasClientExtension("EGL_MESA_platform_surfaceless")) {
    error = "no offscreen OpenGL: EGL has no surfaceless platform (Mesa's libegl-mesa0 is needed)";
    return false;
  }
  display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY) return fail(error, "no surfaceless EGL display");
  if (!eglInitialize(display, nullptr, nullptr)) {
    display = EGL_NO_DISPLAY;
    return fail(error, "the surfaceless EGL display does not initialise");
  }
  if (!chooseConfig())
    return fail(error, "no pbuffer configuration like the window's (8-bit RGB, 32-bit depth)");
  if (!eglBindAPI(EGL_OPENGL_API)) return fail(error, "desktop OpenGL is not offered");
  const EGLint attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                               EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  context = eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
  if (context == EGL_NO_CONTEXT) return fail(error, "no compatibility-profile context");
  return true;
}

bool makeSurface(int width, int height, std::string& error) {
  if (surface != EGL_NO_SURFACE) {
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroySurface(display, surface);
    surface = EGL_NO_SURFACE;
  }
  const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
  surface = eglCreatePbufferSurface(display, config, attributes);
  if (surface == EGL_NO_SURFACE) {
    char what[120];
    std::snprintf(what, sizeof what, "no %d by %d pbuffer (at most %d by %d)", width, height,
                  configValue(config, EGL_MAX_PBUFFER_WIDTH),
                  configValue(config, EGL_MAX_PBUFFER_HEIGHT));
    return fail(error, what);
  }
  if (!eglMakeCurrent(display, surface, surface, context))
    return fail(error, "cannot make the context current");
  surfaceWidth = width;
  surfaceHeight = height;
  return true;
}

}  // namespace

void startOffscreen() {
  if (opener.joinable() || context != EGL_NO_CONTEXT) return;
  if (!prepareDriver()) return;  // useOffscreen makes the context on this thread
  try {
    opener = std::thread([] { openerSucceeded = openContext(openerError); });
  } catch (const std::system_error&) {
    // No thread to spare after all: the same, only without the overlap.
  }
}

bool useOffscreen(int width, int height, std::string& error) {
  if (opener.joinable()) {
    opener.join();
    if (!openerSucceeded) {
      error = openerError;
      closeOffscreen();
      return false;
    }
  }
  if (context == EGL_NO_CONTEXT) {
    prepareDriver();
    if (!openContext(error)) {
      closeOffscreen();
      return false;
    }
  }
  if (surface != EGL_NO_SURFACE && width == surfaceWidth && height == surfaceHeight) return true;
  return makeSurface(width, height, error);
}

void closeOffscreen() {
  if (opener.joinable()) opener.join();
  if (display != EGL_NO_DISPLAY) {
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
    if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
    eglTerminate(display);
  }
  display = EGL_NO_DISPLAY;
  config = nullptr;
  context = EGL_NO_CONTEXT;
  surface = EGL_NO_SURFACE;
  surfaceWidth = surfaceHeight = 0;
}
