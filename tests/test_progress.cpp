// The progress line of long work: off a terminal, a plain line now and then
// with the share done and an honest estimate of the time left.
#include "common/progress.h"

#include <gtest/gtest.h>

namespace
{
// Pretends the work began `seconds` ago and its last line was as long ago.
void backdate(Progress& progress, double seconds)
{
    auto earlier = std::chrono::steady_clock::now() -
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    progress.start = progress.lastLine = earlier;
}
}

TEST(Progress, PlainLinesCarryTheShareAndTheTimeLeft)
{
    // Tests run with standard error on a pipe or a file, as in a build log.
    Progress progress;
    startProgress(progress, "ostralis-forge: painting, ", 40);
    ASSERT_FALSE(progress.terminal);

    // Nothing until a line is due: a log is not flooded.
    testing::internal::CaptureStderr();
    reportProgress(progress, 1, "black.png");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // A quarter done in 20 s leaves about a minute.
    backdate(progress, 20);
    testing::internal::CaptureStderr();
    reportProgress(progress, 10, "S1-1.png");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ostralis-forge: painting, S1-1.png, 25%, about 1:00 left\n");

    // More done than expected (a show longer than its nominal length) or
    // nothing done yet: no estimate to give.
    backdate(progress, 20);
    testing::internal::CaptureStderr();
    reportProgress(progress, 50);
    backdate(progress, 20);
    reportProgress(progress, 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ostralis-forge: painting, 100%, a little left\nostralis-forge: painting, 0%\n");

    // The summary ends it; an empty one writes nothing.
    testing::internal::CaptureStderr();
    finishProgress(progress, "");
    finishProgress(progress, "ostralis-capture: 4 frames (2.00 s of show) in 1.0 s, 4.0 frames per second");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ostralis-capture: 4 frames (2.00 s of show) in 1.0 s, 4.0 frames per second\n");
    EXPECT_EQ(clockText(59.6), "1:00");
    EXPECT_EQ(clockText(-3), "0:00");
}
