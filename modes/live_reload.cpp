// Owns what each watched file is and the latest reload error. Set up once when the edit mode starts.
#include "modes/live_reload.h"

#include <stdio.h>
#include <string.h>

#include "assets/data_file.h"    // dataPath
#include "assets/shader.h"
#include "assets/texture.h"
#include "camera/camera_file.h"
#include "camera/camera_path.h"     // the table before and after a new camera file
#include "core/diagnostics.h"
#include "modes/file_watch.h"
#include "platform/platform.h"   // platformMusicReplace
#include "shell/snapshots.h"     // a new sync table or camera paths drop what they change
#include "shell/sync_track.h"

constexpr int MAX_CHANGES_PER_POLL = MAX_WATCHED_FILES;

static const char SYNC_NAME[] = "sync1.csv";
static const char CAMERA_NAME[] = "cams.cam";
static const char MUSIC_PATH[] = "music.mp3";   // beside data/, in the working directory

enum FileKind { FILE_SHADER, FILE_TEXTURE, FILE_SYNC, FILE_CAMERA, FILE_MUSIC };

// Indexed like the watch list.
static struct {
    FileKind kind;
    char name[MAX_WATCHED_PATH];   // as the loaders spell it (below data/), or the music's path
} watched[MAX_WATCHED_FILES];

static char latestError[MAX_RELOAD_MESSAGE];

static void watchAs(FileKind kind, const char *name) {
    char path[MAX_DATA_PATH];
    if (kind == FILE_MUSIC) snprintf(path, sizeof path, "%s", name);
    else if (!dataPath(name, path, (int)sizeof path)) return;
    const int before = watchedFileCount();
    if (!watchFile(path) || watchedFileCount() == before) return;
    watched[before].kind = kind;
    snprintf(watched[before].name, sizeof watched[before].name, "%s", name);
}

void watchShowFiles() {
    resetFileWatch();
    latestError[0] = '\0';
    for (int pair = 0; pair < shaderPairCount; pair++)
        for (int which = 0; which < 2; which++) watchAs(FILE_SHADER, shaderPairFile(pair, which));
    for (int i = 0; i < loadedTextureCount; i++) watchAs(FILE_TEXTURE, loadedTextureName(i));
    watchAs(FILE_SYNC, SYNC_NAME);
    watchAs(FILE_CAMERA, CAMERA_NAME);
    watchAs(FILE_MUSIC, MUSIC_PATH);
}

static void reportFailure(const char *message) {
    snprintf(latestError, sizeof latestError, "%s", message);
    logError("reload: %s%s", message, message[0] && message[strlen(message) - 1] == '\n' ? "" : "\n");
}

// Returns the ReloadEffect bits of one changed file.
static int reloadFile(FileKind kind, const char *name) {
    char message[MAX_RELOAD_MESSAGE] = "";
    bool good = true;
    int effect = 0;
    switch (kind) {
    case FILE_SHADER:
        good = reloadShaderFile(name, message, (int)sizeof message) == 0;
        effect = RELOAD_PROGRAMS;
        break;
    case FILE_TEXTURE:
        good = reloadTextureFile(name);
        effect = RELOAD_PAST;
        break;
    case FILE_SYNC:
        good = reloadSyncTrack();
        if (good) dropSnapshotsFromSyncRow(firstChangedSyncRow());
        effect = RELOAD_PAST;
        break;
    case FILE_CAMERA: {
        // loadCameraFile reads a missing file as all zeros; a file replaced by an editor comes back.
        FILE *probe = xfopen(name, "rt");
        good = probe != nullptr;
        if (probe) fclose(probe);
        if (good) {
            const CameraPathTable before = cameraPaths;
            loadCameraFile();
            dropSnapshotsReadingCameraSlots(cameraSlotsDiffering(before, cameraPaths));
        }
        effect = RELOAD_PAST;
        break;
    }
    case FILE_MUSIC:
        good = platformMusicReplace(name);
        effect = RELOAD_MUSIC;
        break;
    }
    if (!good) {
        if (!message[0]) snprintf(message, sizeof message, "%s could not be read; the show keeps the old one", name);
        reportFailure(message);
        return 0;
    }
    latestError[0] = '\0';
    logOut("reload: %s\n", name);
    return effect;
}

int reloadChangedFiles(int64_t nowMs) {
    int changed[MAX_CHANGES_PER_POLL];
    const int count = pollWatchedFiles(nowMs, changed, MAX_CHANGES_PER_POLL);
    int effects = 0;
    for (int i = 0; i < count; i++) effects |= reloadFile(watched[changed[i]].kind, watched[changed[i]].name);
    return effects;
}

const char *latestReloadError() {
    return latestError;
}
