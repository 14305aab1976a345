// Start-up pieces: the executable's directory as working directory, the
// clock base aligned to the next calendar second, the command-line string.
#include <gtest/gtest.h>
#include <climits>
#include <string>
#include <unistd.h>
#include "core_fixture.h"
#include "platform/plat_process.h"
#include "platform/plat_time.h"
#include "runtime/core/runtime.h"
#include "runtime/core/timing.h"

namespace {

TEST(ExecutableDirectory, CutsAtTheLastSlash) {
    struct Case {
        const char* path;
        const char* directory;
    };
    const Case cases[] = {
        {"/usr/local/bin/tolmerand", "/usr/local/bin"},
        {"/tolmerand", "/"},
        {"/opt/a:b/tolmerand", "/opt/a:b"},
        {"/opt/games/x:y", "/opt/games"},  // a colon is an ordinary character here
        {"/opt/back\\slash/t", "/opt/back\\slash"},
        {"tolmerand", "tolmerand"},  // no directory part: chdir fails, nothing changes
    };
    for (const Case& c : cases) EXPECT_EQ(rt_executable_directory(c.path), c.directory) << c.path;
}

std::string current_directory() {
    char buf[PATH_MAX];
    return getcwd(buf, sizeof buf) ? buf : "";
}

TEST(WorkingDirectory, BecomesTheExecutablesFolder) {
    char exe[PATH_MAX];
    ASSERT_GT(plat_executable_path(exe, sizeof exe), 0u);
    std::string folder = rt_executable_directory(exe);
    ASSERT_EQ(chdir("/"), 0);
    rt_set_working_directory();
    EXPECT_EQ(current_directory(), folder);
    EXPECT_EQ(folder, TOL_BINARY_DIR "/tests") << "the test executable lives in the build's tests folder";
}

TEST(WorkingDirectory, AFailedChangeLeavesItAsItWas) {
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_FALSE(plat_change_directory("tolmerand-no-such-directory"));
    EXPECT_EQ(current_directory(), "/");
}

class ClockBaseTest : public CoreTest {};

TEST_F(ClockBaseTest, AlignsToTheStartOfTheNextSecond) {
    struct Case {
        int h, m, s, ms;
        int64_t waited_ms;
        int64_t time_of_day_ms;
    };
    const Case cases[] = {
        {12, 34, 56, 300, 700, (12 * 3600 + 34 * 60 + 57) * 1000LL},
        {12, 34, 56, 999, 1, (12 * 3600 + 34 * 60 + 57) * 1000LL},
        {12, 34, 56, 0, 1000, (12 * 3600 + 34 * 60 + 57) * 1000LL},  // at a whole second: waits a whole one
        {23, 59, 59, 500, 500, 0},                                    // the next second is midnight
        {0, 0, 0, 10, 990, 1000},
    };
    for (const Case& c : cases) {
        fake_clock_install(5000000);
        fake_clock_set_time_of_day(c.h, c.m, c.s, c.ms);
        rt_fix_clock_base();
        EXPECT_EQ(rt_clock_base.clock_ms, 5000000 + c.waited_ms) << c.h << ":" << c.m << ":" << c.s << "." << c.ms;
        EXPECT_EQ(rt_clock_base.time_of_day_ms, c.time_of_day_ms) << c.h << ":" << c.m << ":" << c.s;
        EXPECT_EQ(rt_time_of_day_ms(), static_cast<uint32_t>(c.time_of_day_ms));
    }
}

TEST_F(ClockBaseTest, TwoStartsWithinOneSecondBothWaitForTheNext) {
    fake_clock_set_time_of_day(8, 0, 0, 100);
    rt_fix_clock_base();
    EXPECT_EQ(rt_clock_base.time_of_day_ms, 8 * 3600000 + 1000);
    int64_t first = rt_clock_base.clock_ms;
    fake_clock_set_time_of_day(8, 0, 0, 600);  // a second start half a second later, in another process
    rt_fix_clock_base();
    EXPECT_EQ(rt_clock_base.time_of_day_ms, 8 * 3600000 + 1000);
    EXPECT_EQ(rt_clock_base.clock_ms - first, 400);
}

TEST_F(ClockBaseTest, AnInvalidCalendarGivesTimeOfDayZeroWithoutWaiting) {
    fake_clock_set_time_of_day(12, 0, 0, 300);
    fake_clock_set_calendar_invalid(true);
    int64_t start = fake_clock_now();
    rt_fix_clock_base();
    EXPECT_EQ(rt_clock_base.time_of_day_ms, 0);
    EXPECT_LE(rt_clock_base.clock_ms - start, 1) << "one reading of the calendar, no wait";
}

TEST_F(ClockBaseTest, ALocalTimeThatCannotBeFoundGivesZero) {
    fake_clock_set_time_of_day(12, 0, 0, 300);
    fake_clock_set_local_time_fails(true);
    int64_t start = fake_clock_now();
    rt_fix_clock_base();
    EXPECT_EQ(rt_clock_base.time_of_day_ms, 0);
    EXPECT_EQ(rt_clock_base.clock_ms - start, 700) << "still aligned to the second";
}

TEST(RealClock, LocalTimeOfDayMatchesLocaltime) {
    int64_t now = plat_calendar_time();
    ASSERT_GT(now, 0);
    int h = -1, m = -1, s = -1;
    ASSERT_TRUE(plat_local_time_of_day(now, &h, &m, &s));
    time_t t = static_cast<time_t>(now);
    tm local{};
    localtime_r(&t, &local);
    EXPECT_EQ(h, local.tm_hour);
    EXPECT_EQ(m, local.tm_min);
    EXPECT_EQ(s, local.tm_sec);
    EXPECT_FALSE(plat_local_time_of_day(-1, &h, &m, &s));
}

TEST(RealClock, MillisecondClockIsMonotonicAndSleepsLastAtLeastTheirTime) {
    int64_t a = plat_clock_ms();
    plat_sleep_ms(20);
    int64_t b = plat_clock_ms();
    EXPECT_GE(b - a, 20) << "a sleep never ends early";
    plat_sleep_ms(0);
    plat_sleep_ms(-5);  // a negative sleep only yields
    EXPECT_GE(plat_clock_ms(), b);
}

TEST(CommandLine, ArgumentsAfterTheProgramNameJoinedBySpaces) {
    struct Case {
        std::vector<std::string> args;
        const char* expected;
    };
    const Case cases[] = {
        {{"tolmerand"}, ""},
        {{"tolmerand", "one"}, "one"},
        {{"tolmerand", "a", "b c", "", "d"}, "a b c  d"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv;
        for (const std::string& s : c.args) argv.push_back(const_cast<char*>(s.c_str()));
        argv.push_back(nullptr);
        rt_build_command_line(static_cast<int>(c.args.size()), argv.data());
        EXPECT_STREQ(rt_command_line(), c.expected);
    }
}

}  // namespace
