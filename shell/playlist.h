// The playlist of scenes and the pending requests to move to the next one. The sync track asks for
// the next part; the dispatcher steps the playlist at the end of the frame.
#pragma once

constexpr int PLAYLIST_LENGTH = 24;
constexpr int PLAYLIST_START = 20;   // index of the first scene; entries 0..19 are unused

// The scenes the playlist holds, in the order A, C, B.
constexpr int SCENE_A = 32;
constexpr int SCENE_B = 33;
constexpr int SCENE_C = 37;

// Written only by stepPlaylist, resetPlaylist and the loading sequence (which puts the index at the
// start once more after its warm-up frame).
extern float playlistIndex;     // used truncated
extern float sceneNumber;

// One more next-part request (a next-part row of the sync track).
void requestNextPart();
// Requests not yet served.
int pendingPartRequests();
// Serves one request (if any) and moves to the next scene, back to the first after the last.
void stepPlaylist();
void resetPlaylist();
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addPlaylistState();
