// Output files are whole or not there: a failure at any step leaves the old
// target as it was and no temporary file behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/output_file.h"
#include "scene_fixture.h"

namespace {

namespace fs = std::filesystem;

class OutputFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("orvik_output_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const char* name) const { return (dir_ / name).string(); }
  int entries() const {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) n += entry.path().empty() ? 0 : 1;
    return n;
  }

  fs::path dir_;
};

void writePlain(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST_F(OutputFiles, ReplaceWholeKeepingTheMode) {
  const std::string target = path("times.csv");
  writePlain(target, "old");
  ::chmod(target.c_str(), 0640);
  ASSERT_TRUE(writeWholeFile(target.c_str(), "new and longer"));
  EXPECT_EQ(readWholeFile(target), "new and longer");
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(entries(), 1);  // no temporary file left
}

// A full disk, as the file-size limit makes it: the write fails, the old
// file stays whole and the temporary file is gone.
TEST_F(OutputFiles, AFailedWriteLeavesTheOldFile) {
  const std::string target = path("snapshot.bmp");
  writePlain(target, "the good old picture");
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = writeWholeFile(target.c_str(), std::string(1 << 20, 'x'));
  const int error = errno;
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(readWholeFile(target), "the good old picture");
  EXPECT_EQ(entries(), 1);
}

TEST_F(OutputFiles, WhatCannotBeReplacedIsRefusedUntouched) {
  fs::create_directory(path("folder"));
  errno = 0;
  EXPECT_FALSE(writeWholeFile(path("folder").c_str(), "x"));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_TRUE(fs::is_empty(path("folder")));
  EXPECT_FALSE(writeWholeFile(path("no-such-folder/x").c_str(), "x"));

  // A FIFO without a reader: refused at once where only files are wanted,
  // and failing at once (not waiting for a reader) where streams are allowed.
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  errno = 0;
  EXPECT_FALSE(writeWholeFile(path("fifo").c_str(), "x", OutputTarget::FilesOnly));
  EXPECT_EQ(errno, EPERM);
  errno = 0;
  EXPECT_FALSE(writeWholeFile(path("fifo").c_str(), "x", OutputTarget::StreamsToo));
  EXPECT_EQ(errno, ENXIO);
  EXPECT_EQ(entries(), 2);
}

TEST_F(OutputFiles, ADeviceIsWrittenInPlaceAndItsErrorsCount) {
  errno = 0;
  EXPECT_FALSE(writeWholeFile("/dev/full", std::string(100000, 'x')));
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_TRUE(writeWholeFile("/dev/null", "x"));
}

// A target that is a symbolic link is written through, as a shell's
// redirection or an editor leaves it: the file it points at gets the bytes
// and keeps its mode, and the link stays a link. A link to a file not yet
// there makes that file; a loop of links is refused.
TEST_F(OutputFiles, ALinkIsWrittenThroughAndStaysALink) {
  fs::create_directory(path("plans"));
  const std::string real = path("plans/Mesh.csv");
  writePlain(real, "old");
  ::chmod(real.c_str(), 0640);
  ASSERT_EQ(::symlink("plans/Mesh.csv", path("Mesh.csv").c_str()), 0);  // relative, as ln -s makes it
  ASSERT_TRUE(writeWholeFile(path("Mesh.csv").c_str(), "new")) << std::strerror(errno);
  EXPECT_TRUE(fs::is_symlink(path("Mesh.csv")));
  EXPECT_EQ(readWholeFile(real), "new");
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  ASSERT_EQ(::symlink("plans/ExitGrid.dat", path("ExitGrid.dat").c_str()), 0);
  ASSERT_TRUE(writeWholeFile(path("ExitGrid.dat").c_str(), "1\n")) << std::strerror(errno);
  EXPECT_TRUE(fs::is_symlink(path("ExitGrid.dat")));
  EXPECT_EQ(readWholeFile(path("plans/ExitGrid.dat")), "1\n");

  ASSERT_EQ(::symlink("loop", path("loop").c_str()), 0);
  errno = 0;
  EXPECT_FALSE(writeWholeFile(path("loop").c_str(), "x"));
  EXPECT_EQ(errno, ELOOP);
  EXPECT_TRUE(fs::is_symlink(path("loop")));
  EXPECT_EQ(entries(), 4);  // plans and the three links: no temporary file left
  EXPECT_EQ(std::distance(fs::directory_iterator(path("plans")), fs::directory_iterator()), 2);
}

// /dev/stdout, /dev/fd/N and links to them name a descriptor the program
// already holds, often on a file the shell opened: the bytes go into it
// where it stands, between what was written before and after, and the file
// stays the same file. A new file in its place would leave the descriptor
// writing to a file no longer there, and run as root would replace
// /dev/stdout itself.
TEST_F(OutputFiles, ADescriptorIsWrittenWhereItStands) {
  const std::string target = path("report.txt");
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  struct stat before {};
  ASSERT_EQ(::fstat(fd, &before), 0);
  ASSERT_EQ(::write(fd, "head\n", 5), 5);
  const std::string byNumber = "/dev/fd/" + std::to_string(fd);
  EXPECT_TRUE(writeWholeFile(byNumber.c_str(), "times\n")) << std::strerror(errno);
  ASSERT_EQ(::symlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path("out").c_str()), 0);
  EXPECT_TRUE(writeWholeFile(path("out").c_str(), "more\n")) << std::strerror(errno);
  // Where only files are wanted (the snapshot), a descriptor is refused like a device.
  errno = 0;
  EXPECT_FALSE(writeWholeFile(byNumber.c_str(), "x", OutputTarget::FilesOnly));
  EXPECT_EQ(errno, EPERM);
  EXPECT_EQ(::write(fd, "tail\n", 5), 5);
  ::close(fd);
  EXPECT_EQ(readWholeFile(target), "head\ntimes\nmore\ntail\n");
  EXPECT_TRUE(fs::is_symlink(path("out")));
  struct stat after {};
  ASSERT_EQ(::stat(target.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(entries(), 2);
}
