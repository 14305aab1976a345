// A fixture for the core tests that run runtime operations directly on the
// test's threads: the control record back at its start values, the fake
// clock (sleeps advance it) and the harness's message-box and exit hooks.
#pragma once
#include <gtest/gtest.h>
#include "runtime/core/control.h"
#include "runtime/core/timing.h"
#include "runtime/input/keyboard.h"
#include "tests/support/runtime_harness.h"

inline void reset_runtime_control() {
    rt_control.check_requested = 0;
    rt_control.error_pending = 0;
    rt_control.error_line = 0;
    rt_control.exit_requested = 0;
    rt_control.paused = 0;
    rt_control.stopping = 0;
    rt_control.parked = 0;
    rt_control.close_requests = 0;
    rt_control.exit_trap = 0;
    rt_control.auto_display = 1;
    key_wake = 0;
}

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_runtime_control();
        fake_clock_install();
        harness_install_hooks();
        rt_limit_previous_ms = 0;
    }
    void TearDown() override { fake_clock_uninstall(); }
};
