// Snapshots of the show's logic state (every state block) kept while a fixed-step run passes
// regular frames, so that a seek starts from the nearest one instead of the show's start.
#pragma once
#include <stddef.h>
#include <stdint.h>

// A snapshot every 4 s of show time (240 frames at 60 fps, 4 at 1 fps): stepping the logic from
// one to the next costs a few ms.
constexpr int SNAPSHOT_SPACING_MS = 4000;
// 48 of them cover 192 s, the whole show; beyond that seeks start from the last one.
constexpr int MAX_SNAPSHOTS = 48;
// Room for one snapshot: the show's blocks hold some 8 KB.
constexpr size_t MAX_SNAPSHOT_BYTES = 16 * 1024;

// Frames between snapshots at the fixed-step clock's rate (at least 1).
int64_t snapshotSpacing(int fps);
// Called with the show standing ready for frame `frame` of a fixed-step run at fps: keeps its state
// when the frame is one of the regular ones and no snapshot of it is kept yet.
void keepSnapshotIfDue(int64_t frame, int fps);
// The latest kept frame at or before `frame` of a run at fps, or -1 when there is none.
int64_t snapshotAtOrBefore(int64_t frame, int fps);
// Puts the show's state back as it stood ready for a kept frame (one snapshotAtOrBefore named).
void restoreSnapshot(int64_t frame);
// Forgets every snapshot (a new load, another frame rate).
void dropAllSnapshots();
// A new sync table: forgets the snapshots whose past fired a row at or after firstChangedRow.
void dropSnapshotsFromSyncRow(int firstChangedRow);
// New camera paths: forgets the snapshots whose past read one of the changed slots (bit s, slot s).
void dropSnapshotsReadingCameraSlots(uint32_t changedSlots);
// Snapshots kept, and the bytes they hold.
int snapshotCount();
size_t snapshotBytes();
