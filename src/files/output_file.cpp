#include "files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A device or FIFO is written in place. O_NONBLOCK makes a FIFO without a
// reader fail with ENXIO instead of blocking; it is switched off again so
// that writes wait for a slow reader as any program's would.
bool openStream(OutputFile& out) {
  const int fd = ::open(out.path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  out.file = ::fdopen(fd, "wb");
  if (out.file == nullptr) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return false;
  }
  return true;
}

// The folder part of `path` made absolute, so that "o" and "./o" compare equal.
std::string canonicalPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, std::max<std::size_t>(slash, 1));
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  char resolved[PATH_MAX];
  if (::realpath(folder.c_str(), resolved) == nullptr) return path;
  return std::string(resolved) + '/' + name;
}

bool failWith(int error) {
  errno = error;
  return false;
}

}  // namespace

bool openOutputFile(const char* path, OutputFile& out, OutputTarget allowed) {
  out = OutputFile{nullptr, path, ""};
  struct stat info {};
  if (::stat(path, &info) == 0) {
    if (S_ISDIR(info.st_mode)) return failWith(EISDIR);
    if (!S_ISREG(info.st_mode)) {
      if (allowed == OutputTarget::FilesOnly) return failWith(EPERM);
      return openStream(out);
    }
    // rename would replace a file that the user may not write.
    if (::access(path, W_OK) != 0) return false;
  } else if (errno != ENOENT) {
    return false;
  }
  // A hidden name in the same folder, so that the rename stays on one file system.
  out.tempPath = folderOf(out.path) + "/." + baseOf(out.path) + ".XXXXXX";
  const int fd = ::mkstemp(out.tempPath.data());
  if (fd < 0) {
    out.tempPath.clear();
    return false;
  }
  // mkstemp makes the file 0600; a new target gets the usual mode instead.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, S_ISREG(info.st_mode) ? (info.st_mode & 07777) : (0666 & ~mask));
  out.file = ::fdopen(fd, "wb");
  if (out.file == nullptr) {
    const int saved = errno;
    ::close(fd);
    ::unlink(out.tempPath.c_str());
    out.tempPath.clear();
    return failWith(saved);
  }
  return true;
}

bool writeOutput(OutputFile& out, const void* bytes, std::size_t size) {
  errno = 0;
  if (size == 0) return true;
  if (std::fwrite(bytes, 1, size, out.file) == size) return true;
  if (errno == 0) errno = EIO;
  return false;
}

bool finishOutputFile(OutputFile& out) {
  errno = 0;
  bool ok = std::fflush(out.file) == 0 && !std::ferror(out.file);
  int error = ok ? 0 : (errno != 0 ? errno : EIO);
  if (std::fclose(out.file) != 0 && ok) {
    ok = false;
    error = errno != 0 ? errno : EIO;
  }
  out.file = nullptr;
  if (ok) return true;
  discardOutputFile(out);
  return failWith(error);
}

bool placeOutputFile(OutputFile& out) {
  if (out.tempPath.empty()) return true;  // written in place
  if (::rename(out.tempPath.c_str(), out.path.c_str()) != 0) {
    const int error = errno;
    discardOutputFile(out);
    return failWith(error);
  }
  out.tempPath.clear();
  return true;
}

bool commitOutputFile(OutputFile& out) { return finishOutputFile(out) && placeOutputFile(out); }

void discardOutputFile(OutputFile& out) {
  const int saved = errno;
  if (out.file != nullptr) std::fclose(out.file);
  out.file = nullptr;
  if (!out.tempPath.empty()) ::unlink(out.tempPath.c_str());
  out.tempPath.clear();
  errno = saved;
}

bool writeWholeFile(const char* path, std::string_view bytes, OutputTarget allowed) {
  OutputFile out{};
  if (!openOutputFile(path, out, allowed)) return false;
  if (!writeOutput(out, bytes.data(), bytes.size())) {
    discardOutputFile(out);
    return false;
  }
  return commitOutputFile(out);
}

bool sameFile(const char* a, const char* b) {
  struct stat sa {}, sb {};
  const bool hasA = ::stat(a, &sa) == 0;
  const bool hasB = ::stat(b, &sb) == 0;
  if (hasA && hasB) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  if (hasA != hasB) return false;
  return canonicalPath(a) == canonicalPath(b);
}
