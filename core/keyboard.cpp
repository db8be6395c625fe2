// Owns keyState. Only Escape is read from the live keyboard; every other key is a sync-track event.
#include "core/keyboard.h"

#include <string.h>

#include "platform/platform.h"
#include "core/state_blocks.h"   // the show's list of state blocks

KeyState keyState;

void pollKeyboard() {
    for (int k = 0; k < KEY_COUNT; k++) keyState.down[k] = keyState.injected[k];
    for (int k = 0; k < KEY_COUNT; k++) keyState.pressed[k] = keyState.down[k] && !keyState.prevDown[k];
    memcpy(keyState.prevDown, keyState.down, sizeof keyState.prevDown);
    // Held or pressed since the last query both count, without edge detection: holding Escape keeps
    // pressed set.
    keyState.escapeFromKeyboard = platformEscapeState() != 0;
    if (keyState.escapeFromKeyboard) keyState.pressed[KEY_ESCAPE] = true;
    platformHideCursor();
}

void injectKey(int key, int timeMs) {
    keyState.injected[key] = true;
    keyState.downTime[key] = timeMs;
}

void clearInjectedKeys() {
    // Entries 256 and up are never set; they are left alone.
    for (int k = 0; k < 256; k++) keyState.injected[k] = false;
}

void resetKeyboard() {
    memset(&keyState, 0, sizeof keyState);
}

void addKeyboardState() {
    addStateBlock("keyboard: keyState", &keyState, sizeof keyState, resetKeyboard);
}
