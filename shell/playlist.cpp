// Owns the playlist position and the next-part requests. The playlist never ends: after the last
// scene it starts over; only a quit request ends the show.
#include "shell/playlist.h"
#include "core/state_blocks.h"   // the show's list of state blocks

static const int PLAYLIST[PLAYLIST_LENGTH] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, SCENE_A, SCENE_C, SCENE_B, 0,
};

float playlistIndex = PLAYLIST_START;
float sceneNumber = SCENE_A;

static int skipnow = 0;   // pending next-part requests; reset with the playlist

void requestNextPart() {
    skipnow++;
}

int pendingPartRequests() {
    return skipnow;
}

void stepPlaylist() {
    skipnow = skipnow > 0 ? skipnow - 1 : 0;
    playlistIndex += 1.0f;
    if (PLAYLIST[(int)playlistIndex] == 0) playlistIndex = PLAYLIST_START;
    sceneNumber = (float)PLAYLIST[(int)playlistIndex];
}

void resetPlaylist() {
    playlistIndex = PLAYLIST_START;
    sceneNumber = SCENE_A;
    skipnow = 0;
}

void addPlaylistState() {
    addStateBlock("playlist: playlistIndex", &playlistIndex, sizeof playlistIndex, resetPlaylist);
    addStateBlock("playlist: sceneNumber", &sceneNumber, sizeof sceneNumber, nullptr);
    addStateBlock("playlist: skipnow", &skipnow, sizeof skipnow, nullptr);
}
