// The whole show under AddressSanitizer and UndefinedBehaviorSanitizer: the
// capture tool built with both (scripts/test.sh builds it beside the normal
// build, in build-sanitize/) plays the show at a coarse fixed step on the
// normal build's show files, and neither sanitizer reports anything. The
// undrawn driver those runs use keeps to its own memory.
#include "support/reliability.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace
{
const std::string sanitizedCapture = BUILD_DIR "-sanitize/ostralis-capture";
const std::string guardedDrawPath = BUILD_DIR "/tests/guarded-draw";

bool sanitizerReported(const std::string& err)
{
    for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                             "WARNING: AddressSanitizer", "SUMMARY: "})
        if (err.find(mark) != std::string::npos)
            return true;
    return false;
}
}

TEST(Sanitizers, TheWholeShowRunsWithoutAReport)
{
    if (!std::filesystem::exists(sanitizedCapture))
    {
        if (std::getenv("OSTRALIS_REQUIRE_SANITIZED"))
            FAIL() << "no sanitised capture tool at " << sanitizedCapture;
        GTEST_SKIP() << "no sanitised build beside this one: scripts/test.sh makes it";
    }
    std::map<std::string, std::string> env = {
        {"ASAN_OPTIONS", "detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1"},
        {"LSAN_OPTIONS", "suppressions=" SOURCE_DIR "/tests/support/leaks_of_system_libraries.txt"},
        {"UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1"},
    };
    addUndrawnDriver(env);
    ProcessResult result =
        runProcess({sanitizedCapture, "--fps", "5", "--show-dir", SHOW_DIR}, env, "/tmp", 1200);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_FALSE(sanitizerReported(result.err)) << result.err;
    ShowOutput out = splitShowOutput(result.out);
    EXPECT_EQ(out.startup, startupWith());
    EXPECT_EQ(out.scenes, sceneLoadedLines);
}

// Threaded, Mesa's no-op driver wrote into the words just past an off-screen
// target it drew quads into, and the player crashed now and then as it
// ended; the undrawn runs of the tests must not meet that.
TEST(UndrawnDriver, LeavesTheMemoryBesideAnOffScreenTargetAlone)
{
    ProcessResult result = runProcess({guardedDrawPath}, undrawnDriver(), "/tmp", 120);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
}
