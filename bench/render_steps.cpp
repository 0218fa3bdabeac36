// Where orvik-render's time goes: each step of one picture, timed once in a
// fresh process as the program runs them, then the steps that a second
// picture repeats, and the PNG packed at several zlib levels and filters.
// Prints "step milliseconds [bytes]" lines.
//
//   orvik_render_steps PLAN_DIR OUT_DIR
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "draw/draw.h"
#include "render.h"
#include "scene/reader.h"
#include "snapshot/snapshot.h"

namespace {

using Clock = std::chrono::steady_clock;
Clock::time_point mark;  // start of the step being timed

double lap() {
  const Clock::time_point now = Clock::now();
  const double ms = std::chrono::duration<double, std::milli>(now - mark).count();
  mark = now;
  return ms;
}

void readInto(const std::string& path, bool mesh) {
  TextCursor in = makeCursor("");
  if (!openFileCursor(path.c_str(), in)) std::perror(path.c_str());
  if (mesh) {
    readMesh(in, nullptr);
  } else {
    ExitList list;
    computeTravelTimesFrom(in, list);
  }
  closeCursor(in);
}

long fileBytes(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return -1;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  return size;
}

void timePng(const std::string& out, const BmpPicture& picture, const char* name, PngEncoding e) {
  const std::string path = out + "/steps.png";
  std::string error;
  lap();
  if (!writePngFile(path.c_str(), picture.pixels.get(), picture.width, picture.height, error, e)) {
    std::fprintf(stderr, "%s\n", error.c_str());
  }
  const double ms = lap();
  std::printf("png:%s %.3f %ld\n", name, ms, fileBytes(path));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: orvik_render_steps PLAN_DIR OUT_DIR\n");
    return 2;
  }
  const std::string plan = argv[1], out = argv[2];
  std::string error;
  mark = Clock::now();
  if (!useOffscreen(kWindowWidth, kWindowHeight, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::printf("context %.3f\n", lap());
  readInto(plan + "/Mesh.csv", true);
  std::printf("readMesh %.3f\n", lap());
  fillQuadVertices();
  std::printf("fillQuadVertices %.3f\n", lap());
  readInto(plan + "/ExitGrid.dat", false);
  std::printf("walk %.3f\n", lap());
  fillQuadColors();
  std::printf("fillQuadColors %.3f\n", lap());
  BmpPicture picture;
  for (const char* round : {"first", "again"}) {
    lap();
    drawFrame(drawTableGlyphs);
    glFinish();
    std::printf("draw:%s %.3f\n", round, lap());
    readBmpPicture(kWindowWidth, kWindowHeight, picture);
    std::printf("readBack:%s %.3f\n", round, lap());
    timePng(out, picture, round, kPngEncoding);
  }
  const int kAll = 0xf8, kNone = 0x08, kSub = 0x10;
  const struct {
    const char* name;
    PngEncoding e;
  } variants[] = {{"z1/none", {1, kNone}},
                  {"z1/sub", {1, kSub}},
                  {"z1/all", {1, kAll}},
                  {"z6/none", {6, kNone}},
                  {"z6/none+sub", {6, kNone | kSub}},
                  {"z6/all", {6, kAll}},
                  {"z9/all", {9, kAll}}};
  for (const auto& v : variants) timePng(out, picture, v.name, v.e);
  closeOffscreen();
  return 0;
}
