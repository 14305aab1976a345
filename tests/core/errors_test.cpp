// Raising errors, the message and critical-code tables, the error dialog's
// caption and text, and the answers Yes and No.
#include <gtest/gtest.h>
#include <csignal>
#include <cstring>
#include <string>
#include "core_fixture.h"
#include "runtime/core/errors.h"
#include "runtime/core/threads.h"

namespace {

struct MessageRow {
    ErrorCode code;
    const char* text;  // null: no row, reported as "Unprintable error"
};

TEST(ErrorTable, MessagesByCode) {
    const MessageRow rows[] = {
        {1, "NEXT without FOR"},
        {3, "RETURN without GOSUB"},
        {5, "Illegal function call"},
        {6, "Overflow"},
        {9, "Subscript out of range"},
        {10, "Duplicate definition"},
        {11, nullptr},  // critical, never shown by the dialog
        {12, "Illegal in direct mode"},
        {14, "Out of string space"},
        {15, nullptr},
        {16, "String formula too complex"},
        {20, "RESUME without error"},
        {21, nullptr},
        {24, "Device timeout"},
        {27, "Out of paper"},
        {29, "WHILE without WEND"},
        {30, "WEND without WHILE"},
        {33, "Duplicate label"},
        {35, "Subprogram not defined"},
        {37, "Argument-count mismatch"},
        {38, "Array not defined"},
        {40, "Variable required"},
        {50, "FIELD overflow"},
        {51, "Internal error"},
        {52, "Bad file name or number"},
        {59, "Bad record length"},
        {60, nullptr},
        {61, "Disk full"},
        {64, "Bad file name"},
        {65, nullptr},
        {67, "Too many files"},
        {69, "Communication-buffer overflow"},
        {75, "Path/File access error"},
        {76, "Path not found"},
        {77, nullptr},
        {258, "Invalid handle"},
        {262, "Function unavailable in TARNO"},
        {300, "Memory region out of range"},
        {304, "Source and destination memory regions out of range"},
        {307, "Memory already freed"},
        {312, "Source and destination memory not initialized"},
        {313, "Source and destination memory have been freed"},
        {314, nullptr},
        {0, nullptr},
        {-1, nullptr},
    };
    for (const MessageRow& row : rows) {
        const char* text = rt_error_message(row.code);
        if (row.text == nullptr) {
            EXPECT_EQ(text, nullptr) << "code " << row.code;
        } else {
            ASSERT_NE(text, nullptr) << "code " << row.code;
            EXPECT_STREQ(text, row.text) << "code " << row.code;
        }
    }
}

struct CriticalRow {
    ErrorCode code;
    const char* text;     // null: not critical
    const char* caption;
};

TEST(ErrorTable, CriticalCodesWithTextAndCaption) {
    const CriticalRow rows[] = {
        {11, "Division by zero", "Critical Error"},
        {256, "Out of stack space", "Critical Error"},
        {257, "Out of memory", "Critical Error #1"},
        {259, "Cannot find dynamic library file", "Critical Error"},
        {260, "Sub/Function does not exist in dynamic library", "Critical Error"},
        {261, "Sub/Function does not exist in dynamic library", "Critical Error"},
        {263, "Paths/Filename illegal in TARNO", "Critical Error"},
        {270, "_GL command called outside of SUB _GL's scope", "Critical Error"},
        {271, "END/SYSTEM called within SUB _GL's scope", "Critical Error"},
        {502, "Out of memory", "Critical Error #2"},
        {504, "Out of memory", "Critical Error #4"},
        {510, "Out of memory", "Critical Error #10"},
        {518, "Out of memory", "Critical Error #18"},
        {258, nullptr, nullptr},
        {262, nullptr, nullptr},
        {300, nullptr, nullptr},  // critical only when the dialog reports it
        {501, nullptr, nullptr},
        {519, nullptr, nullptr},
        {5, nullptr, nullptr},
    };
    for (const CriticalRow& row : rows) {
        const char* text = nullptr;
        char caption[32] = "untouched";
        bool critical = rt_error_critical(row.code, &text, caption);
        EXPECT_EQ(critical, row.text != nullptr) << "code " << row.code;
        if (critical && row.text) {
            EXPECT_STREQ(text, row.text) << "code " << row.code;
            EXPECT_STREQ(caption, row.caption) << "code " << row.code;
        }
    }
}

class RaiseError : public CoreTest {};

TEST_F(RaiseError, FirstErrorWinsAndRequestsTheCheck) {
    rt_error(9);
    EXPECT_EQ(rt_control.error_pending, 9);
    EXPECT_EQ(rt_control.check_requested, 1);
    rt_error(13);
    EXPECT_EQ(rt_control.error_pending, 9) << "a second error before the check is lost";
}

TEST_F(RaiseError, CodesBelowOneBecomeIllegalFunctionCall) {
    for (ErrorCode code : {0, -1, -70000}) {
        reset_runtime_control();
        rt_error(code);
        EXPECT_EQ(rt_control.error_pending, 5) << "code " << code;
        EXPECT_EQ(rt_control.check_requested, 1) << "code " << code;
    }
}

TEST_F(RaiseError, OrdinaryCodesWithoutAMessageAreStillHeld) {
    rt_error(1000);
    EXPECT_EQ(rt_control.error_pending, 1000);
    EXPECT_TRUE(harness_msgbox_calls().empty());
}

class ErrorDialog : public CoreTest {};

TEST_F(ErrorDialog, CaptionAndTextOfAnOrdinaryError) {
    struct Case {
        ErrorCode code;
        uint32_t line;
        const char* caption;
        const char* text;
    };
    const Case cases[] = {
        {9, 54, "Unhandled Error #9", "Line:54\nSubscript out of range\nContinue?"},
        {0, 7, "Unhandled Error #5", "Line:7\nIllegal function call\nContinue?"},
        {258, 4294967295u, "Unhandled Error #258", "Line:4294967295\nInvalid handle\nContinue?"},
        {15, 0, "Unhandled Error #15", "Line:0\nUnprintable error\nContinue?"},
    };
    size_t n = 0;
    for (const Case& c : cases) {
        rt_error(c.code);
        rt_check_statement(c.line);  // answered Yes by the harness
        ++n;
        auto calls = harness_msgbox_calls();
        ASSERT_EQ(calls.size(), n);
        EXPECT_EQ(calls.back().caption, c.caption);
        EXPECT_EQ(calls.back().text, c.text);
        EXPECT_EQ(calls.back().buttons, PLAT_MB_YES_NO);
        EXPECT_EQ(rt_control.error_line, c.line);
        EXPECT_EQ(rt_control.error_pending, 0) << "Yes clears the error";
        EXPECT_EQ(rt_control.check_requested, 0);
    }
}

TEST_F(ErrorDialog, ABoxThatCannotBeShownCountsAsYes) {
    harness_queue_msgbox_answer(PLAT_MB_FAILED);
    rt_error(6);
    rt_check_statement(12);
    EXPECT_EQ(rt_control.error_pending, 0);
    EXPECT_EQ(rt_control.exit_requested, 0);
}

TEST_F(ErrorDialog, NoAsksForTheExitAndParksTheProgramThread) {
    harness_queue_msgbox_answer(PLAT_MB_RESULT_NO);
    std::atomic<bool> returned{false};
    harness_run_detached([&returned] {
        rt_error(9);
        rt_check_statement(54);
        returned = true;
    }, "program");
    ASSERT_TRUE(harness_wait_until([] { return (rt_control.parked & 1) != 0; }));
    EXPECT_EQ(rt_control.exit_requested, 1);
    EXPECT_EQ(rt_control.error_pending, 9) << "the error is left pending when the program ends";
    EXPECT_FALSE(returned);
}

TEST_F(ErrorDialog, NoErrorMeansNoDialog) {
    rt_control.check_requested = 1;
    rt_check_statement(3);
    EXPECT_EQ(rt_control.check_requested, 0);
    EXPECT_TRUE(harness_msgbox_calls().empty());
}

// Error 300 to 313 reported by the dialog: an OK box without "Continue?",
// then the end of the process with status 0.
TEST_F(ErrorDialog, MemoryRegionErrorsAreCriticalWhenReported) {
    harness_run_detached([] {
        rt_error(300);
        rt_check_statement(21);
    }, "program");
    ASSERT_EQ(harness_wait_exit(), 0);
    auto calls = harness_msgbox_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].caption, "Critical Error #300");
    EXPECT_EQ(calls[0].text, "Line:21\nMemory region out of range");
    EXPECT_EQ(calls[0].buttons, PLAT_MB_OK);
}

// Critical codes end the process at once with status 0 from the raising
// thread; the caption and text also reach standard error.
struct CriticalExit {
    ErrorCode code;
    const char* stderr_pattern;
};

void PrintTo(const CriticalExit& c, std::ostream* os) { *os << "code " << c.code; }

class CriticalErrorDeath : public ::testing::TestWithParam<CriticalExit> {};

TEST_P(CriticalErrorDeath, EndsTheProcessWithStatusZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const CriticalExit& c = GetParam();
    EXPECT_EXIT(
        {
            plat_set_msgbox_hook([](const char*, const char*, PlatMsgBoxButtons) { return PLAT_MB_RESULT_OK; });
            rt_error(c.code);
            std::fputs("rt_error returned\n", stderr);
        },
        ::testing::ExitedWithCode(0), c.stderr_pattern);
}

INSTANTIATE_TEST_SUITE_P(Codes, CriticalErrorDeath,
                         ::testing::Values(CriticalExit{11, "Critical Error\n  Division by zero"},
                                           CriticalExit{256, "Critical Error\n  Out of stack space"},
                                           CriticalExit{257, "Critical Error #1\n  Out of memory"},
                                           CriticalExit{263, "Critical Error\n  Paths/Filename illegal in TARNO"},
                                           CriticalExit{502, "Critical Error #2\n  Out of memory"},
                                           CriticalExit{518, "Critical Error #18\n  Out of memory"}),
                         [](const ::testing::TestParamInfo<CriticalExit>& info) {
                             return "Code" + std::to_string(info.param.code);
                         });

TEST(CriticalErrorExit, ABoxThatCannotBeShownStillEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            plat_set_msgbox_hook([](const char*, const char*, PlatMsgBoxButtons) { return PLAT_MB_FAILED; });
            rt_fatal("Out of memory", "Critical Error #4");
        },
        ::testing::ExitedWithCode(0), "Critical Error #4");
}

class FloatingPointFault : public CoreTest {};

// The program thread's SIGFPE handler raises error 11, which is critical.
TEST_F(FloatingPointFault, RaisesDivisionByZeroAndEndsWithStatusZero) {
    rt_program_entry = [] { std::raise(SIGFPE); };
    harness_run_detached(rt_program_thread_main, "program");
    ASSERT_EQ(harness_wait_exit(), 0);
    auto calls = harness_msgbox_calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].caption, "Critical Error");
    EXPECT_EQ(calls[0].text, "Division by zero");
}

}  // namespace
