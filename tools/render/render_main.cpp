// orvik-render: each output of the command line in turn, with one OpenGL
// context for all of them, reading again only the files that changed.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "files/output_file.h"
#include "render.h"
#include "scene/reader.h"
#include "snapshot/snapshot.h"

namespace {

constexpr char kProgram[] = "orvik-render";

// What the scene holds now, so that the next output reads only what differs.
struct Loaded {
  bool any;               // a mesh was read
  std::string meshPath;   // the mesh in the table
  std::string colourKey;  // exits or times file (and column) the colours came from
};

void warn(const std::string& what) {
  std::fprintf(stderr, "%s: warning: %s\n", kProgram, what.c_str());
}

// Missing or unreadable input reads as empty, as in the program; the
// warning is all that differs, since a script has no window to look at.
bool openInput(const std::string& path, TextCursor& in) {
  if (openFileCursor(path.c_str(), in)) return true;
  warn(path + ": " + std::strerror(errno) + "; it reads as empty, as in the program");
  in = makeCursor("");
  return false;
}

void finishInput(const std::string& path, TextCursor& in, bool opened) {
  if (opened && in.readError != 0) {
    warn(path + ": reading failed: " + std::strerror(in.readError) +
         "; the map shows what was read before, as in the program");
  }
  closeCursor(in);
}

void warnAll(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) warn(line);
}

void loadMesh(const std::string& path) {
  clearScene();
  TextCursor in = makeCursor("");
  const bool opened = openInput(path, in);
  InputNotes notes{};
  FieldFailure stop{};
  MeshReading seen{countMeshRecord, &notes, false, false, &stop, nullptr, kMaxHeaderLineBytes, 0};
  readMesh(in, &seen);
  if (opened && in.readError == 0) warnAll(meshWarnings(path, seen, stop, notes));
  finishInput(path, in, opened);
  fillQuadVertices();
}

void walkFromExits(const std::string& path) {
  TextCursor in = makeCursor("");
  const bool opened = openInput(path, in);
  InputNotes notes{};
  FieldFailure stop{};
  ExitReading seen{countExitNumber, &notes, &stop};
  computeTravelTimesFrom(in, &seen);
  if (opened && in.readError == 0) warnAll(exitWarnings(path, stop, notes));
  finishInput(path, in, opened);
}

// The scene of `job`: mesh, corners, times, colours, as the program loads them.
bool loadJob(const RenderJob& job, Loaded& loaded, std::string& error) {
  const bool meshChanged = !loaded.any || job.meshPath != loaded.meshPath;
  if (meshChanged) {
    loadMesh(job.meshPath);
    loaded = Loaded{true, job.meshPath, ""};
  }
  const std::string colourKey = job.timesPath.empty()
                                    ? "exits\n" + job.exitPath
                                    : "times\n" + job.timesPath + "\n" + job.timesColumn;
  if (meshChanged || colourKey != loaded.colourKey) {
    loaded.colourKey.clear();
    if (job.timesPath.empty()) {
      walkFromExits(job.exitPath);
    } else if (!readTimesCsv(job.timesPath.c_str(), job.timesColumn.c_str(), error)) {
      return false;
    }
    fillQuadColors();
    loaded.colourKey = colourKey;
  }
  return true;
}

bool writeBmp(const char* path, const BmpPicture& picture, std::string& error) {
  OutputFile out{};
  if (!openOutputFile(path, out)) {
    error = std::string(path) + ": cannot write: " + std::strerror(errno);
    return false;
  }
  if (!writeOutput(out, picture.header, kBmpHeaderBytes) ||
      !writeOutput(out, picture.pixels.get(), picture.imageBytes)) {
    error = std::string(path) + ": write failed: " + std::strerror(errno);
    discardOutputFile(out);
    return false;
  }
  if (!commitOutputFile(out)) {
    error = std::string(path) + ": write failed: " + std::strerror(errno);
    return false;
  }
  return true;
}

// An output must not replace a file the picture is read from: a plan's
// files under a picture's name would be lost for good.
bool replacesInput(const RenderJob& job, std::string& error) {
  const std::string* inputs[] = {&job.meshPath, &job.exitPath, &job.timesPath};
  for (const std::string* input : inputs) {
    if (!input->empty() && sameFile(job.outPath.c_str(), input->c_str())) {
      error = job.outPath + ": is an input of this picture (" + *input + "); nothing written";
      return true;
    }
  }
  return false;
}

bool drawAndWrite(const RenderJob& job, BmpPicture& picture, std::string& error) {
  if (replacesInput(job, error)) return false;
  viewState = kStartView;
  for (char key : job.keys) applyKey(static_cast<unsigned char>(key), viewState);
  drawFrame(drawTableGlyphs);
  if (readBmpPicture(job.width, job.height, picture) != ReadBack::Done) {
    error = job.outPath + ": no memory for a " + std::to_string(job.width) + " by " +
            std::to_string(job.height) + " picture";
    return false;
  }
  return job.bmp ? writeBmp(job.outPath.c_str(), picture, error)
                 : writePngFile(job.outPath.c_str(), picture.pixels.get(), job.width, job.height,
                                error);
}

int renderAll(const RenderRequest& request) {
  Loaded loaded{false, "", ""};
  BmpPicture picture;  // one buffer for every output of the same size
  std::string error;
  for (const RenderJob& job : request.jobs) {
    if (!loadJob(job, loaded, error) || !useOffscreen(job.width, job.height, error) ||
        !drawAndWrite(job, picture, error)) {
      std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  RenderRequest request;
  std::string error;
  if (!parseRenderArguments(argc, argv, request, error)) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return 2;
  }
  if (request.help) {
    std::fputs(renderUsage(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  startOffscreen();
  const int status = renderAll(request);
  closeOffscreen();
  return status;
}
