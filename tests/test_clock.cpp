// Shared start of the tests that play frames at exact times.
#include "shell/clock.h"
#include "shell/dispatcher.h"
#include "shell/keyboard.h"
#include "shell/sync_track.h"
#include "tests/test_support.h"

void startAtTimeZero() {
    driveClock(1000);
    setDrivenCounter(0);
    resetClocks();
    resetSyncPlayer();
    resetKeyboard();
    resetDispatcher();
}
