// Keyboard state of the frame: the live Escape key plus the key presses the sync track injects.
#pragma once

constexpr int KEY_COUNT = 512;   // indexed by Windows virtual-key code

// The key codes that act in the show.
constexpr int KEY_RETURN = 0x0D;
constexpr int KEY_ESCAPE = 0x1B;
constexpr int KEY_4 = 0x34;
constexpr int KEY_5 = 0x35;
constexpr int KEY_8 = 0x38;
constexpr int KEY_I = 0x49;
constexpr int KEY_O = 0x4F;
// The edit mode's keys: they come from the platform's key queue, never through keyState.
constexpr int KEY_SPACE = 0x20;
constexpr int KEY_PAGE_UP = 0x21;
constexpr int KEY_PAGE_DOWN = 0x22;
constexpr int KEY_HOME = 0x24;
constexpr int KEY_LEFT = 0x25;
constexpr int KEY_UP = 0x26;
constexpr int KEY_RIGHT = 0x27;
constexpr int KEY_DOWN = 0x28;
constexpr int KEY_H = 0x48;
constexpr int KEY_L = 0x4C;

struct KeyState {
    bool down[KEY_COUNT];       // held in this frame
    bool pressed[KEY_COUNT];    // went down in this frame
    bool prevDown[KEY_COUNT];   // down of the previous poll
    bool injected[KEY_COUNT];   // set by the sync track; entries 0..255 cleared after every frame
    int downTime[KEY_COUNT];    // ms of demo/elapsed time at which an injected key went down
    bool escapeFromKeyboard;    // the live Escape was held or pressed at the latest poll
};

// Written by pollKeyboard, by injectKey (the sync track) and by clearInjectedKeys (the main loop);
// everything else only reads it.
extern KeyState keyState;

// Injected keys become down/pressed; the live Escape state is merged into pressed.
void pollKeyboard();
void injectKey(int key, int timeMs);
void clearInjectedKeys();
void resetKeyboard();
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addKeyboardState();
