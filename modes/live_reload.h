// Live reload for the edit mode: which of the show's files are watched, what a change to each one
// does, and the latest reload error.
#pragma once
#include <stdint.h>

constexpr int MAX_RELOAD_MESSAGE = 1024;   // bytes of the latest error kept for the overlay

// What the changes of one poll ask of the edit mode, as bits.
enum ReloadEffect {
    RELOAD_PROGRAMS = 1,   // a shader program was rebuilt: the next frame draws with it
    RELOAD_PAST = 2,       // the sync table, camera paths or a texture changed: replay to the moment
                           // from the nearest snapshot the change left (a texture leaves them all)
    RELOAD_MUSIC = 4,      // the music was replaced: start it again at the moment
};

// Watches every file the show loaded that can be reloaded: the shader files of every program, the
// textures, data/sync1.csv, data/cams.cam and music.mp3.
void watchShowFiles();
// Looks for changes (at most every few hundred ms of nowMs, a steady clock) and reloads the files
// that changed. A file that cannot be read or a shader that does not build keeps the old content;
// its message goes to standard error once and becomes the latest error. Returns ReloadEffect bits.
int reloadChangedFiles(int64_t nowMs);
// The latest reload error, empty when the latest reload went well.
const char *latestReloadError();
