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

bool failWith(int error) {
  errno = error;
  return false;
}

// The output's stream on descriptor fd, which is closed when no stream can
// be made of it.
bool adopt(OutputFile& out, int fd) {
  out.file = ::fdopen(fd, "wb");
  if (out.file != nullptr) return true;
  const int saved = errno;
  ::close(fd);
  return failWith(saved);
}

// A device or FIFO is written in place. O_NONBLOCK makes a FIFO without a
// reader fail with ENXIO instead of blocking; it is switched off again so
// that writes wait for a slow reader as any program's would.
bool openStream(OutputFile& out) {
  const int fd = ::open(out.path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return adopt(out, fd);
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

constexpr int kMaxLinks = 40;  // links followed before the path counts as a loop, as the kernel's

// The number of one of the program's own descriptors that `path` names in
// /proc (/dev/fd/3, /proc/self/fd/1 and what links there), or -1.
int ownDescriptor(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash + 1 == path.size()) return -1;
  const std::string name = path.substr(slash + 1);
  if (name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos) return -1;
  char folder[PATH_MAX];
  if (::realpath(path.substr(0, slash).c_str(), folder) == nullptr) return -1;
  if (std::string(folder) != "/proc/" + std::to_string(::getpid()) + "/fd") return -1;
  return std::atoi(name.c_str());
}

// Where a write to `path` lands: the end of its chain of symbolic links,
// which need not exist yet, so that a link stays a link to the new bytes;
// or, when the chain reaches one of the program's descriptors, that
// descriptor (`fd`, else -1), whose file the shell may have opened.
struct Destination {
  std::string path;
  int fd;
};

Destination followLinks(const std::string& path) {
  Destination to{path, -1};
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    to.fd = ownDescriptor(to.path);
    if (to.fd >= 0) return to;
    struct stat info {};
    if (::lstat(to.path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return to;
    char link[PATH_MAX];
    const ssize_t length = ::readlink(to.path.c_str(), link, sizeof link);
    if (length <= 0 || static_cast<std::size_t>(length) == sizeof link) return to;
    const std::string text(link, static_cast<std::size_t>(length));
    to.path = text[0] == '/' ? text : folderOf(to.path) + '/' + text;
  }
  return to;  // still a link: a loop, which stat reports as ELOOP
}

// A descriptor the program holds is written where it stands, through a
// copy of it, so that what the program writes there afterwards follows.
bool openDescriptor(OutputFile& out, int fd) {
  const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  return copy >= 0 && adopt(out, copy);
}

}  // namespace

bool openOutputFile(const char* path, OutputFile& out, OutputTarget allowed) {
  const Destination to = followLinks(path);
  out = OutputFile{nullptr, to.path, ""};
  if (to.fd >= 0) {
    if (allowed == OutputTarget::FilesOnly) return failWith(EPERM);
    return openDescriptor(out, to.fd);
  }
  path = out.path.c_str();
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
  if (adopt(out, fd)) return true;
  const int saved = errno;
  ::unlink(out.tempPath.c_str());
  out.tempPath.clear();
  return failWith(saved);
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
  // Neither there yet: a link to a file not yet there lands in that file.
  return canonicalPath(followLinks(a).path) == canonicalPath(followLinks(b).path);
}
