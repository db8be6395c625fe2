// Owns the snapshot store: up to MAX_SNAPSHOTS copies of the state blocks, one slot per regular
// frame. Lives for the run; a new load or frame rate empties it, reloads drop what they change.
#include "shell/snapshots.h"

#include "camera/camera_path.h"    // cameraSlotsRead
#include "core/diagnostics.h"
#include "core/state_blocks.h"
#include "shell/sync_track.h"      // lastPlayedSyncRow

struct SnapshotInfo {
    bool kept;
    int lastPlayedRow;     // of the sync player: rows up to it have shaped this state
    uint32_t slotsRead;    // camera slots that have moved the camera
};

// Slot i holds frame i x spacing of a run at fps; the store is 768 KB of zero pages until used.
static struct {
    int fps;
    SnapshotInfo info[MAX_SNAPSHOTS];
    uint8_t bytes[MAX_SNAPSHOTS][MAX_SNAPSHOT_BYTES];
} store;

int64_t snapshotSpacing(int fps) {
    const int64_t spacing = (int64_t)fps * SNAPSHOT_SPACING_MS / 1000;
    return spacing > 0 ? spacing : 1;
}

void dropAllSnapshots() {
    for (int i = 0; i < MAX_SNAPSHOTS; i++) store.info[i].kept = false;
}

void keepSnapshotIfDue(int64_t frame, int fps) {
    if (fps != store.fps) {
        dropAllSnapshots();
        store.fps = fps;
    }
    const int64_t spacing = snapshotSpacing(fps);
    if (frame <= 0 || frame % spacing != 0) return;   // frame 0 is the show's start
    const int64_t slot = frame / spacing;
    if (slot >= MAX_SNAPSHOTS || store.info[slot].kept) return;
    if (stateBytes() > MAX_SNAPSHOT_BYTES) fatalExit(1, "snapshots: the show's state (%zu bytes) outgrew MAX_SNAPSHOT_BYTES\n", stateBytes());
    saveStateBlocks(store.bytes[slot]);
    store.info[slot] = {true, lastPlayedSyncRow(), cameraSlotsRead()};
}

int64_t snapshotAtOrBefore(int64_t frame, int fps) {
    if (fps != store.fps || frame <= 0) return -1;
    const int64_t spacing = snapshotSpacing(fps);
    int64_t slot = frame / spacing;
    if (slot >= MAX_SNAPSHOTS) slot = MAX_SNAPSHOTS - 1;
    for (; slot > 0; slot--)
        if (store.info[slot].kept) return slot * spacing;
    return -1;
}

void restoreSnapshot(int64_t frame) {
    restoreStateBlocks(store.bytes[frame / snapshotSpacing(store.fps)]);
}

void dropSnapshotsFromSyncRow(int firstChangedRow) {
    for (int i = 0; i < MAX_SNAPSHOTS; i++)
        if (store.info[i].lastPlayedRow >= firstChangedRow) store.info[i].kept = false;
}

void dropSnapshotsReadingCameraSlots(uint32_t changedSlots) {
    for (int i = 0; i < MAX_SNAPSHOTS; i++)
        if (store.info[i].slotsRead & changedSlots) store.info[i].kept = false;
}

int snapshotCount() {
    int count = 0;
    for (int i = 0; i < MAX_SNAPSHOTS; i++) count += store.info[i].kept ? 1 : 0;
    return count;
}

size_t snapshotBytes() {
    return (size_t)snapshotCount() * stateBytes();
}
