// Shared start of the tests that play frames at exact times.
#include "core/clock.h"
#include "shell/show.h"
#include "tests/test_support.h"

void startAtTimeZero() {
    driveClock(1000);
    setDrivenCounter(0);
    resetShow();
}
