// The sync track: the show's score of rows, played against the real-time clock. Rows can slow or
// shift demo time and fire events (injected keys, next part, camera cues, outro picture, the end).
#pragma once
#include <stdint.h>
#include <stdio.h>

#include "core/clock.h"   // SYNC_FRAMES_PER_ROW

constexpr int MAX_SYNC_ROWS = 2048;    // rows the table holds; the last usable row is 2047
constexpr int SYNC_FIELDS = 8;         // fields 0..6 come from the file, field 7 always reads 0
constexpr int SYNC_LINE_BYTES = 2048;  // line reader buffer

// One row every 355.33 ms: the row clock advances by this many rows per 60 Hz frame.
constexpr float SYNC_ROWS_PER_FRAME = 0.04690444469451904f;
// Events of rows passed in one frame are stamped this many ms apart.
constexpr float SYNC_SUBTICK_MS = 1.2791965f;

// Event codes of fields 2 and 5.
enum SyncEvent {
    SYNC_KEY_8 = 1,
    SYNC_KEY_I = 4,
    SYNC_KEY_5 = 5,
    SYNC_KEY_4 = 6,
    SYNC_KEY_O = 7,
    SYNC_OUTRO = 10,
    SYNC_NEXT_PART = 14,
    SYNC_CAMERA_FIRST = 100,
    SYNC_CAMERA_LAST = 199,
    SYNC_CAMERA_OFF = 200,
    SYNC_EXIT = 255,
};

extern float syncTable[MAX_SYNC_ROWS][SYNC_FIELDS];
extern int syncRowCount;

// Reads data/sync1.csv and returns its row count; a missing track ends the process with status 1.
int loadSyncTrack();
// Reads data/sync1.csv again (edit mode). A file that cannot be opened or holds no row leaves the
// table as it was and returns false.
bool reloadSyncTrack();
// Fills the table from an open text stream (header line first). Returns the row count.
int readSyncTrack(FILE *file);
// Plays the rows passed since the previous call. Called once per frame after frameTime is sampled.
void playSyncTrack();
// Zeroes the sub-tick fraction before the first frame.
void resetSyncFraction();
// Back to the state before the first frame (tests).
void resetSyncPlayer();
// After a reload that read rows: the first row that differs from the table before it (MAX_SYNC_ROWS
// when none does). Rows the player has not reached yet are all a new table can change.
int firstChangedSyncRow();
// The latest row the player has fired, -1 before the first.
int lastPlayedSyncRow();
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addSyncPlayerState();

// --- What the loaded table says. Every mode asks here, so a row has one moment everywhere: the
// player's own arithmetic, in ms of show time from the first frame (the clock's reading minus the
// first frame's), and a row begins at the first whole ms at which the player plays it.
// The row the player has reached at ms (rows played at or before it; clamped to the table).
int syncRowAtMs(int ms);
// The first whole ms at which row plays.
int syncRowStartMs(int row);
// The first frame of a fixed-step run at fps that plays row (its events act from this frame on).
int64_t syncRowFrame(int row, int fps);
// The event code of a row's first (slot 0) or second (slot 1) event field.
int syncRowEvent(int row, int slot);
bool syncRowFires(int row, int code);
// The first row that ends the show, -1 when none does.
int syncEndRow();
// Where that row begins (ms), -1 when no row ends the show.
int syncEndMs();
// The rows that start a new part, in order; returns how many (at most capacity).
int syncPartStartRows(int *rows, int capacity);
