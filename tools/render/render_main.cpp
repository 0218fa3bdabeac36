// orvik-render: each output of the command line in turn, with one OpenGL
// context for all of them, reading again only the files that changed.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "files/output_file.h"
#include "plan_files.h"
#include "render.h"
#include "report.h"
#include "scene/reader.h"
#include "snapshot/snapshot.h"

namespace {

constexpr char kProgram[] = "orvik-render";

// What the scene holds now, so that the next output reads only what differs.
struct Loaded {
  bool any;               // a mesh was read
  std::string meshPath;   // the mesh in the table
  std::string colourKey;  // exits or times file (and column) the colours came from
  std::vector<CellId> walkedExits;  // the exits of the last walk, in file order
  bool repainted;         // an annotated picture coloured the cells its own way
  std::vector<CellId> planExits{};  // with --block: the exit file's exits, doors and all
  std::string blockedFile{};        // with --block: the name of the one door's exit file
  bool refused = false;             // a --block named no door: status 2
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

// Each record counted for the warnings and, for annotated pictures, its
// level and door name noted.
void countAndNote(const MeshRecord& record, void* notes) {
  countMeshRecord(record, notes);
  noteRecordFacts(record, nullptr);
}

void loadMesh(const std::string& path, bool keepWords) {
  clearScene();
  clearRecordFacts();
  TextCursor in = makeCursor("");
  const bool opened = openInput(path, in);
  InputNotes notes{};
  FieldFailure stop{};
  MeshReading seen{keepWords ? countAndNote : countMeshRecord, &notes, keepWords, false, &stop,
                   nullptr, kMaxHeaderLineBytes, 0};
  readMesh(in, &seen);
  if (opened && in.readError == 0) warnAll(meshWarnings(path, seen, stop, notes));
  finishInput(path, in, opened);
  fillQuadVertices();
}

void walkFromExits(const std::string& path, std::vector<CellId>& exits) {
  TextCursor in = makeCursor("");
  const bool opened = openInput(path, in);
  ExitList list;
  computeTravelTimesFrom(in, list);
  exits = list.exits;
  if (opened && in.readError == 0) warnAll(exitWarnings(path, list));
  finishInput(path, in, opened);
}

// The plan's exits less the cells of the doors --block names, and the walk
// from them unless a times CSV colours the map (then only the marks change).
bool walkWithoutDoors(const RenderJob& job, Loaded& loaded, std::string& error) {
  TextCursor in = makeCursor("");
  const bool opened = openInput(job.exitPath, in);
  ExitList list;
  readExitList(in, list);
  if (opened && in.readError == 0) warnAll(exitWarnings(job.exitPath, list));
  finishInput(job.exitPath, in, opened);
  ExitList open;
  if (!exitsWithoutDoors(list.exits, job.block, open.exits, loaded.blockedFile, error)) {
    loaded.refused = true;
    return false;
  }
  if (job.timesPath.empty()) seedExitList(open);
  loaded.walkedExits = open.exits;
  loaded.planExits = list.exits;
  return true;
}

// The scene of `job`: mesh, corners, times, colours, as the program loads them.
bool loadJob(const RenderJob& job, bool keepWords, Loaded& loaded, std::string& error) {
  const bool meshChanged = !loaded.any || job.meshPath != loaded.meshPath;
  if (meshChanged) {
    loadMesh(job.meshPath, keepWords);
    loaded = Loaded{true, job.meshPath, "", {}, false};
  }
  std::string colourKey = job.timesPath.empty()
                              ? "exits\n" + job.exitPath
                              : "times\n" + job.timesPath + "\n" + job.timesColumn;
  for (const std::string& door : job.block) colourKey += "\nblock\n" + door;
  if (meshChanged || colourKey != loaded.colourKey) {
    loaded.colourKey.clear();
    loaded.planExits.clear();
    loaded.blockedFile.clear();
    if (!job.block.empty() && !walkWithoutDoors(job, loaded, error)) return false;
    if (!job.timesPath.empty()) {
      if (!readTimesCsv(job.timesPath.c_str(), job.timesColumn.c_str(), error)) return false;
    } else if (job.block.empty()) {
      walkFromExits(job.exitPath, loaded.walkedExits);
    }
    fillQuadColors();
    loaded.colourKey = colourKey;
  } else if (loaded.repainted) {
    fillQuadColors();  // the same times; only the window's colours come back
  }
  loaded.repainted = false;
  return true;
}

bool writeBmpPicture(const char* path, const BmpPicture& picture, std::string& error) {
  const BmpWriteResult result = writeBmp(path, picture.header, picture.pixels.get(),
                                         picture.imageBytes, OutputTarget::StreamsToo);
  if (result.outcome == BmpWritten::Done) return true;
  error = std::string(path) +
          (result.outcome == BmpWritten::CannotOpen ? ": cannot write: " : ": write failed: ") +
          std::strerror(result.error);
  return false;
}

// An output must not replace a file the picture is read from: a plan's
// files under a picture's name would be lost for good.
bool replacesInput(const RenderJob& job, std::string& error) {
  const std::string* inputs[] = {&job.meshPath, &job.exitPath, &job.timesPath, &job.planPath};
  for (const std::string* input : inputs) {
    if (!input->empty() && sameFile(job.outPath.c_str(), input->c_str())) {
      error = job.outPath + ": is an input of this picture (" + *input + "); nothing written";
      return true;
    }
  }
  return false;
}

// The last part of a path, without the folders before it.
std::string lastPart(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name of the folder a file lies in, as the plan's name.
std::string folderName(const std::string& file) {
  const std::size_t slash = file.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
  char* real = ::realpath(folder.c_str(), nullptr);
  const std::string name = lastPart(real != nullptr ? std::string(real) : folder);
  std::free(real);
  return name.empty() ? folder : name;
}

// The plan's name for a title: a converted .plan's file name without
// ".plan", else the name of the mesh's folder.
std::string planName(const RenderJob& job) {
  return job.meshFromPlan ? planFileStem(job.planPath) : folderName(job.meshPath);
}

std::string regionName(const ReportRegion& r) {
  switch (r.kind) {
    case ReportRegion::Kind::Whole: return "";
    case ReportRegion::Kind::Level: return r.level;
    case ReportRegion::Kind::Grid:
      return "columns " + std::to_string(r.column0) + " to " + std::to_string(r.column1) +
             ", rows " + std::to_string(r.row0) + " to " + std::to_string(r.row1);
  }
  return "";
}

// The exits of the drawn file and of the plan, grouped into doors; the
// plan's are the drawn ones where it has no file of its own to compare.
std::vector<ReportDoor> reportDoors(const RenderJob& job, const Loaded& loaded) {
  if (!job.block.empty()) return groupReportDoors(loaded.planExits, loaded.walkedExits);
  std::vector<CellId> drawn = loaded.walkedExits;
  ExitList list;
  if (!job.timesPath.empty()) {
    readExitFile(job.exitPath.c_str(), list);  // one that cannot be opened lists none
    drawn = list.exits;
  }
  std::vector<CellId> plan = drawn;
  if (!job.planExitPath.empty() && !sameFile(job.planExitPath.c_str(), job.exitPath.c_str()) &&
      readExitFile(job.planExitPath.c_str(), list)) {
    plan = list.exits;
  }
  return groupReportDoors(plan, drawn);
}

bool drawAnnotated(const RenderJob& job, const Loaded& loaded, std::string& error) {
  GridBox box{};
  if (!regionBox(job.report.region, box, error)) return false;
  const std::vector<ReportDoor> doors = reportDoors(job, loaded);
  // One door blocked: named as the exit file orvik-check --exits-dir writes
  // for it, so that the picture is the one drawn from that file.
  const std::string exitFile = !loaded.blockedFile.empty() ? loaded.blockedFile
                               : lastPart(job.exitsFromPlan ? job.planPath : job.exitPath);
  const ReportSubject subject{planName(job), regionName(job.report.region), exitFile,
                              lastPart(job.timesPath), job.timesColumn};
  const ReportWords words = composeReportWords(job.report, subject, doors);
  const ReportLayout layout = layoutReport(job.width, job.height, box, job.report, words, doors);
  fillReportColours(job.report, doors);
  drawReport(layout, doors);
  return true;
}

bool drawAndWrite(const RenderJob& job, const Loaded& loaded, BmpPicture& picture,
                  std::string& error) {
  if (replacesInput(job, error)) return false;
  if (job.report.on) {
    if (!drawAnnotated(job, loaded, error)) return false;
  } else {
    viewState = kStartView;
    for (char key : job.keys) applyKey(static_cast<unsigned char>(key), viewState);
    drawFrame(drawTableGlyphs);
  }
  if (readBmpPicture(job.width, job.height, picture) != ReadBack::Done) {
    error = job.outPath + ": no memory for a " + std::to_string(job.width) + " by " +
            std::to_string(job.height) + " picture";
    return false;
  }
  return job.bmp ? writeBmpPicture(job.outPath.c_str(), picture, error)
                 : writePngFile(job.outPath.c_str(), picture.pixels.get(), job.width, job.height,
                                error);
}

int renderAll(const RenderRequest& request) {
  Loaded loaded{false, "", "", {}, false};
  BmpPicture picture;  // one buffer for every output of the same size
  std::string error;
  bool keepWords = false;  // the tags name levels and doors for annotated pictures
  for (const RenderJob& job : request.jobs) {
    keepWords = keepWords || job.report.on || !job.block.empty();
  }
  for (const RenderJob& job : request.jobs) {
    if (!loadJob(job, keepWords, loaded, error) || !useOffscreen(job.width, job.height, error) ||
        !drawAndWrite(job, loaded, picture, error)) {
      std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
      return loaded.refused ? 2 : 1;
    }
    loaded.repainted = job.report.on;
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
  RenderPlans plans;
  if (const int status = openRenderPlans(request, plans, error); status != 0) {
    std::fprintf(stderr, "%s: %s\n", kProgram, error.c_str());
    return status;
  }
  startOffscreen();
  const int status = renderAll(request);
  closeOffscreen();
  closeRenderPlans(plans);
  return status;
}
