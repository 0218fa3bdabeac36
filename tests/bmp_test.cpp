#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "snapshot/snapshot.h"

namespace {

std::uint32_t read32(const unsigned char* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}
std::uint16_t read16(const unsigned char* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

std::string scratchPath(const char* name) {
  return ::testing::TempDir() + "orvik_bmp_" + std::to_string(::getpid()) + "_" + name;
}

std::vector<unsigned char> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(BmpFormat, HeaderOfTheStartWindow) {
  std::uint32_t image = 0;
  ASSERT_TRUE(bmpImageBytes(800, 600, image));
  EXPECT_EQ(image, 1920000u);
  unsigned char h[kBmpHeaderBytes];
  fillBmpHeader(h, 800, 600, image);
  EXPECT_EQ(h[0], 'B');
  EXPECT_EQ(h[1], 'M');
  EXPECT_EQ(read32(h + 2), 1920054u);  // bfSize
  EXPECT_EQ(read16(h + 6), 0);
  EXPECT_EQ(read16(h + 8), 0);
  EXPECT_EQ(read32(h + 10), 54u);  // bfOffBits
  EXPECT_EQ(read32(h + 14), 40u);  // biSize
  EXPECT_EQ(read32(h + 18), 800u);
  EXPECT_EQ(read32(h + 22), 600u);
  EXPECT_EQ(read16(h + 26), 1);
  EXPECT_EQ(read16(h + 28), 32);
  for (int at = 30; at < 54; at += 4) EXPECT_EQ(read32(h + at), 0u) << at;  // biSizeImage too
}

TEST(BmpFormat, SizeLimits) {
  std::uint32_t image = 1;
  ASSERT_TRUE(bmpImageBytes(0, 600, image));
  EXPECT_EQ(image, 0u);
  ASSERT_TRUE(bmpImageBytes(3, 2, image));
  EXPECT_EQ(image, 24u);
  EXPECT_FALSE(bmpImageBytes(-1, 10, image));
  EXPECT_FALSE(bmpImageBytes(40000, 40000, image));  // 6.4 GB: wraps in 32 bits
  EXPECT_FALSE(bmpImageBytes(23171, 23171, image));  // just over 2^31 - 54
  EXPECT_TRUE(bmpImageBytes(23170, 23170, image));
}

TEST(BmpFormat, RedAndBlueChangePlacesPerPixel) {
  // Three pixels as OpenGL returns them: pure red, pure green, pure blue with alpha 7.
  unsigned char px[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 7};
  swapRedBlue(px, sizeof px);
  const unsigned char expected[] = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 7};
  EXPECT_EQ(std::vector<unsigned char>(px, px + sizeof px),
            std::vector<unsigned char>(expected, expected + sizeof expected));
}

TEST(BmpFile, WritesHeaderThenRowsBottomFirstAsGiven) {
  const std::string path = scratchPath("ok.bmp");
  // 2 by 3: each pixel distinct, so a flipped row or column would show.
  std::vector<unsigned char> px(2 * 3 * 4);
  for (std::size_t i = 0; i < px.size(); ++i) px[i] = static_cast<unsigned char>(i * 9 + 1);
  unsigned char h[kBmpHeaderBytes];
  std::uint32_t image = 0;
  ASSERT_TRUE(bmpImageBytes(2, 3, image));
  fillBmpHeader(h, 2, 3, image);
  ASSERT_TRUE(writeBmpFile(path.c_str(), h, px.data(), image));
  const std::vector<unsigned char> file = fileBytes(path);
  ASSERT_EQ(file.size(), 54u + 24u);
  EXPECT_EQ(std::vector<unsigned char>(file.begin(), file.begin() + 54),
            std::vector<unsigned char>(h, h + 54));
  EXPECT_EQ(std::vector<unsigned char>(file.begin() + 54, file.end()), px);

  // A second write replaces the first.
  fillBmpHeader(h, 0, 3, 0);
  ASSERT_TRUE(writeBmpFile(path.c_str(), h, nullptr, 0));
  EXPECT_EQ(fileBytes(path).size(), 54u);
  std::remove(path.c_str());
}

TEST(BmpFile, UnopenablePathSaysSoAndWritesNothing) {
  const std::string dir = scratchPath("dir.bmp");
  ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
  unsigned char h[kBmpHeaderBytes] = {};
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(writeBmpFile(dir.c_str(), h, nullptr, 0));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "fstream::open() failed.\n");
  ::rmdir(dir.c_str());
}

// A full disk, as the file-size limit makes it: the reason is reported, and
// the last good snapshot stays whole instead of a cut-off file in its place.
TEST(BmpFile, FailedWriteKeepsTheOldSnapshot) {
  const std::string path = scratchPath("full.bmp");
  { std::ofstream(path, std::ios::binary) << "the last good snapshot"; }
  std::vector<unsigned char> px(4 * 1024 * 1024);
  unsigned char h[kBmpHeaderBytes] = {};
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 1 << 20;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  ::testing::internal::CaptureStderr();
  const bool written = writeBmpFile(path.c_str(), h, px.data(), static_cast<std::uint32_t>(px.size()));
  const std::string message = ::testing::internal::GetCapturedStderr();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_EQ(message, path + ": write failed: File too large\n");
  const std::vector<unsigned char> file = fileBytes(path);
  EXPECT_EQ(std::string(file.begin(), file.end()), "the last good snapshot");
  std::remove(path.c_str());
}

// A FIFO named snapshot.bmp would hold the program until a reader came: it
// is refused at once like any name that cannot be replaced.
TEST(BmpFile, FifoIsRefusedWithoutWaiting) {
  const std::string path = scratchPath("fifo.bmp");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  unsigned char h[kBmpHeaderBytes] = {};
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(writeBmpFile(path.c_str(), h, nullptr, 0));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "fstream::open() failed.\n");
  std::remove(path.c_str());
}

// The writer under both callers: it prints nothing and hands back the
// outcome with its errno, and only the caller that allows streams writes a
// device in place (orvik-render's /dev/full gives the device's own error).
TEST(BmpFile, OneWriterReportsOutcomeAndErrnoWithoutPrinting) {
  const std::string dir = scratchPath("folder.bmp");
  ASSERT_EQ(::mkdir(dir.c_str(), 0700), 0);
  unsigned char h[kBmpHeaderBytes] = {};
  const unsigned char px[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ::testing::internal::CaptureStderr();
  const BmpWriteResult folder = writeBmp(dir.c_str(), h, px, 8, OutputTarget::StreamsToo);
  const BmpWriteResult deviceRefused = writeBmp("/dev/full", h, px, 8, OutputTarget::FilesOnly);
  const BmpWriteResult deviceFull = writeBmp("/dev/full", h, px, 8, OutputTarget::StreamsToo);
  const BmpWriteResult null = writeBmp("/dev/null", h, px, 8, OutputTarget::StreamsToo);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(folder.outcome, BmpWritten::CannotOpen);
  EXPECT_EQ(folder.error, EISDIR);
  EXPECT_EQ(deviceRefused.outcome, BmpWritten::CannotOpen);
  EXPECT_NE(deviceRefused.error, 0);
  EXPECT_EQ(deviceFull.outcome, BmpWritten::WriteFailed);
  EXPECT_EQ(deviceFull.error, ENOSPC);
  EXPECT_EQ(null.outcome, BmpWritten::Done);
  EXPECT_EQ(null.error, 0);
  ::rmdir(dir.c_str());
}
