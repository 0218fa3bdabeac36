// orvik-check where an input or a request has no end in sight: a header
// line beyond its bound, and outputs of one run that would land on each
// other.
#include <unistd.h>

#include <filesystem>

#include "check.h"
#include "scene_fixture.h"

namespace {

using CheckLimits = SceneTest;

}  // namespace

// A header line over 1 MiB ends the reading there, in pieces or not, with
// the line named and status 1; one byte less is still a header line.
TEST_F(CheckLimits, HeaderLineOverItsBoundEndsTheReading) {
  const std::string record = meshRecord(1, -1, -1, -1, -1, 1, 1);
  const std::string longest(static_cast<std::size_t>(kMaxHeaderLineBytes), 'h');
  for (const std::size_t pieces : {std::size_t{0}, std::size_t{4096}}) {
    const CheckReport over =
        checkPlanTexts("m.csv", "h\n" + longest + "h\nh\n" + record, "e.dat", "1\n", pieces);
    const auto& found = over.findings[static_cast<int>(FindingKind::ShortHeader)];
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].line, 2);
    EXPECT_NE(messageText(found[0].message).find("header line 2 is longer than 1048576 bytes"),
              std::string::npos);
    EXPECT_EQ(over.mesh.recordsRead, 0);
    EXPECT_EQ(checkExitStatus(over), 1);
    const CheckReport fits =
        checkPlanTexts("m.csv", "h\n" + longest + "\nh\n" + record, "e.dat", "1\n", pieces);
    EXPECT_EQ(fits.mesh.recordsStored, 1);
    EXPECT_EQ(fits.findingCounts[static_cast<int>(FindingKind::ShortHeader)], 0);
  }
}
