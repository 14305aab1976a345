// Without an X display: the message box reports that it could not be shown
// and still tells standard error why; the executable refuses to start with
// one clear line and status 1.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include "platform/plat_msgbox.h"
#include "platform/plat_process.h"
#include "runtime/core/runtime.h"

namespace {

class NoDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        const char* display = std::getenv("DISPLAY");
        if (display) saved = display;
        unsetenv("DISPLAY");
    }
    void TearDown() override {
        if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
    }
    std::string saved;
};

TEST_F(NoDisplay, TheMessageBoxFailsButWritesCaptionAndTextToStandardError) {
    EXPECT_FALSE(plat_display_available());
    ::testing::internal::CaptureStderr();
    PlatMsgBoxResult result = plat_message_box("Line:54\nSubscript out of range\nContinue?", "Unhandled Error #9",
                                               PLAT_MB_YES_NO);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, PLAT_MB_FAILED);
    EXPECT_EQ(err, "tolmerand: Unhandled Error #9\n  Line:54\n  Subscript out of range\n  Continue?\n");
}

TEST_F(NoDisplay, TheExecutableStopsWithOneLineAndStatusOne) {
    ::testing::internal::CaptureStderr();
    char name[] = "tolmerand";
    char* argv[] = {name, nullptr};
    int status = rt_main(1, argv, [] { std::abort(); });
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err, "tolmerand: cannot open the X display; the game needs a graphical session (is DISPLAY set?)\n");
}

}  // namespace
