// Output files are whole or not there: a failure at any step leaves the old
// target as it was and no temporary file behind.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
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
