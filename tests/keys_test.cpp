#include <gtest/gtest.h>

#include "app/app.h"

namespace {

ViewState press(const char* keys, ViewState view = kStartView) {
  for (const char* k = keys; *k != '\0'; ++k) applyKey(static_cast<unsigned char>(*k), view);
  return view;
}

}  // namespace

TEST(Keys, PansComeInExactPairs) {
  EXPECT_EQ(press("2").panY, -2);
  EXPECT_EQ(press("i").panY, -2);
  EXPECT_EQ(press("8").panY, 2);
  EXPECT_EQ(press("k").panY, 2);
  EXPECT_EQ(press("4").panX, -2);
  EXPECT_EQ(press("j").panX, -2);
  EXPECT_EQ(press("6").panX, 2);
  EXPECT_EQ(press("l").panX, 2);
  const ViewState v = press("66668");
  EXPECT_EQ(v.panX, 8);
  EXPECT_EQ(v.panY, 2);
  EXPECT_EQ(v.zoom, 1.0);
}

TEST(Keys, ZoomStepsAndFloor) {
  EXPECT_EQ(press("W").zoom, 1.01);
  ViewState v = kStartView;
  for (int i = 0; i < 99; ++i) applyKey('w', v);
  EXPECT_EQ(v.zoom, 0.009999999999999247);  // the step's representation error, kept
  applyKey('w', v);
  EXPECT_EQ(v.zoom, 0.01);  // the step went below zero
  applyKey('w', v);
  EXPECT_EQ(v.zoom, 0.01);  // exactly zero is no better
}

// Out and in again by the same number of steps drifts by the steps'
// rounding; the crumb it leaves must not become a zoom of 1e-16, which
// turns the map grey.
TEST(Keys, ZoomDriftNeverLeavesACrumb) {
  ViewState v = press("0");
  for (int i = 0; i < 701; ++i) applyKey('W', v);
  for (int i = 0; i < 800; ++i) applyKey('w', v);
  EXPECT_GT(v.zoom, 0.005);
  applyKey('w', v);
  EXPECT_EQ(v.zoom, 0.01);
  for (int i = 0; i < 3; ++i) applyKey('w', v);
  EXPECT_EQ(v.zoom, 0.01);
}

TEST(Keys, ResetRestoresTheStartViewExactly) {
  for (const char* reset : {"0", "R"}) {
    const ViewState v = press(reset, press("WWW66i"));
    EXPECT_EQ(v.panX, 0);
    EXPECT_EQ(v.panY, 0);
    EXPECT_EQ(v.zoom, 1.0);
  }
}

TEST(Keys, OtherKeysAndOtherCaseDoNothing) {
  for (unsigned char key : {'r', 'S', 'I', 'J', 'K', 'L', '1', ' ', 'q', '\0', '\xff'}) {
    ViewState v = {4, -6, 1.5};
    EXPECT_EQ(applyKey(key, v), KeyCommand::NotAKey) << int(key);
    EXPECT_EQ(v.panX, 4);
    EXPECT_EQ(v.panY, -6);
    EXPECT_EQ(v.zoom, 1.5);
  }
}

// orvik-render refuses a key the table does not know, so every key of the
// table must say that it is one.
TEST(Keys, EveryKeyOfTheTableIsOne) {
  for (unsigned char key : {'8', 'k', '2', 'i', '6', 'l', '4', 'j', 'w', 'W', '0', 'R', 's', '\x1b'}) {
    ViewState v = kStartView;
    EXPECT_NE(applyKey(key, v), KeyCommand::NotAKey) << int(key);
  }
}

TEST(Keys, SnapshotAndEscapeLeaveTheViewAlone) {
  ViewState v = {1, 2, 3.0};
  EXPECT_EQ(applyKey('s', v), KeyCommand::Snapshot);
  EXPECT_EQ(applyKey(27, v), KeyCommand::Quit);
  EXPECT_EQ(v.panX, 1);
  EXPECT_EQ(v.zoom, 3.0);
}
