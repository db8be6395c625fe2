// Owns the sync table and its player state. The table is loaded once; the player's last row only
// grows, so the score plays once per run while the playlist loops.
#include "shell/sync_track.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "assets/data_file.h"
#include "camera/camera_path.h"
#include "core/clock.h"
#include "core/diagnostics.h"
#include "core/keyboard.h"
#include "render/composite.h"
#include "shell/playlist.h"   // requestNextPart
#include "core/state_blocks.h"   // the show's list of state blocks

static const char SYNC_FILE[] = "sync1.csv";

float syncTable[MAX_SYNC_ROWS][SYNC_FIELDS];
int syncRowCount = 0;

static struct {
    bool started;
    int lastPlayedRow = -1;
    int prevRealSample;    // elapsedMs of the previous frame
    int curRealSample;     // elapsedMs of this frame
    float curFraction;     // position of the current sample within its 1.28 ms sub-tick
    float prevFraction;
} player;

// Of the latest reload that read rows: the first row that differs from the table before it.
static int firstChangedRow = MAX_SYNC_ROWS;

// Splits at commas and line ends into at most seven fields; text that is not a number reads 0.
static void parseRow(char *line, float *row) {
    char *cursor = line;
    for (int field = 0; field < 7; field++) {
        char *end = cursor + strcspn(cursor, ",\r\n");
        const bool last = *end != ',';
        *end = '\0';
        row[field] = (float)atof(cursor);
        if (last) break;
        cursor = end + 1;
    }
}

int readSyncTrack(FILE *file) {
    memset(syncTable, 0, sizeof syncTable);
    int newlines = 0;
    for (int c = fgetc(file); c != EOF; c = fgetc(file))
        if (c == '\n') newlines++;
    // N newlines give N - 1 rows after the header: a last line without a newline is not read.
    int rows = (newlines < MAX_SYNC_ROWS ? newlines : MAX_SYNC_ROWS) - 1;
    if (rows < 0) rows = 0;
    rewind(file);
    char line[SYNC_LINE_BYTES];
    if (!fgets(line, sizeof line, file)) rows = 0;
    for (int r = 0; r < rows; r++) {
        if (!fgets(line, sizeof line, file)) break;
        parseRow(line, syncTable[r]);
    }
    syncRowCount = rows;
    return rows;
}

int loadSyncTrack() {
    FILE *file = xfopen(SYNC_FILE, "rt");
    if (!file) fatalExit(1, "can't open file data/%s: the show needs its sync track\n", SYNC_FILE);
    readSyncTrack(file);
    fclose(file);
    debugLog("sync track: %d rows\n", syncRowCount);
    return syncRowCount;
}

bool reloadSyncTrack() {
    // The table as it was, put back when the new file holds nothing (caught while being written).
    static float previous[MAX_SYNC_ROWS][SYNC_FIELDS];
    FILE *file = xfopen(SYNC_FILE, "rt");
    if (!file) return false;
    memcpy(previous, syncTable, sizeof previous);
    const int previousRows = syncRowCount;
    const int rows = readSyncTrack(file);
    fclose(file);
    if (rows > 0) {
        firstChangedRow = MAX_SYNC_ROWS;
        for (int r = 0; r < MAX_SYNC_ROWS && firstChangedRow == MAX_SYNC_ROWS; r++)
            if (memcmp(previous[r], syncTable[r], sizeof previous[r]) != 0) firstChangedRow = r;
        return true;
    }
    memcpy(syncTable, previous, sizeof previous);
    syncRowCount = previousRows;
    return false;
}

void resetSyncFraction() {
    player.curFraction = 0.0f;
}

void resetSyncPlayer() {
    player = {};
    player.lastPlayedRow = -1;
}

static void pressKeyForCode(int code, int t) {
    switch (code) {
    case SYNC_KEY_8: injectKey(KEY_8, t); break;
    case SYNC_KEY_I: injectKey(KEY_I, t); break;
    case SYNC_KEY_5: injectKey(KEY_5, t); break;
    case SYNC_KEY_4: injectKey(KEY_4, t); break;
    case SYNC_KEY_O: injectKey(KEY_O, t); break;
    default: break;
    }
}

static bool isCameraCue(int code) {
    return code >= SYNC_CAMERA_FIRST && code <= SYNC_CAMERA_LAST;
}

static void fireRowEvents(const float *row, int t) {
    const int codeA = (int)row[2];
    const int codeB = (int)row[5];
    pressKeyForCode(codeA, t);
    if (codeB == SYNC_OUTRO) showOutroPicture((int)row[6]);
    else pressKeyForCode(codeB, t);
    if (isCameraCue(codeA))
        startCameraCue(codeA - SYNC_CAMERA_FIRST, t, (int)row[3], row[4] * SYNC_FRAMES_PER_ROW);
    if (isCameraCue(codeB))
        startCameraCue(codeB - SYNC_CAMERA_FIRST, t, (int)row[6], row[7] * SYNC_FRAMES_PER_ROW);
    if (codeA == SYNC_CAMERA_OFF || codeB == SYNC_CAMERA_OFF) stopCameraCue();
    if (codeA == SYNC_NEXT_PART || codeB == SYNC_NEXT_PART) {
        requestNextPart();
        partstarttime = t;
        injectKey(KEY_RETURN, t);
        debugLog("part skip----------------------------------\n");
    }
    if (codeA == SYNC_EXIT || codeB == SYNC_EXIT) {
        injectKey(KEY_ESCAPE, t);
        debugLog("exit demo\n");
    }
}

void playSyncTrack() {
    if (!player.started) {
        player.started = true;
        syncBaseTime = frameTime;
        partstarttime = frameTime;
        player.prevRealSample = frameTime;
    }
    const float divisorAtEntry = (float)timeDivisor;
    float divisorDelta = 0.0f;
    float compensation = 0.0f;

    const int now = elapsedMs();
    player.curRealSample = now;
    player.prevFraction = player.curFraction;
    player.curFraction = ((float)now - floorf((float)now / SYNC_SUBTICK_MS) * SYNC_SUBTICK_MS) / SYNC_SUBTICK_MS;

    const int currentRow = syncRowAtMs(now - syncBaseTime);
    if (currentRow <= player.lastPlayedRow) {
        player.prevRealSample = player.curRealSample;
        return;
    }

    // Rows passed since the previous frame are stamped from that frame's time, one sub-tick apart.
    const int eventBase = (int)(floor(player.prevRealSample / (double)SYNC_SUBTICK_MS) * (double)SYNC_SUBTICK_MS);
    const int firstRow = player.lastPlayedRow + 1;
    float offset = (float)timeOffset;
    for (int i = firstRow; i <= currentRow; i++) {
        const float *row = syncTable[i];
        const int t = (int)((i - firstRow) * (double)SYNC_SUBTICK_MS + eventBase);
        fireRowEvents(row, t);
        if (row[0] != 0.0f) {
            timeDivisor = row[0];
            divisorDelta = row[0] - divisorAtEntry;
        }
        float step = divisorDelta * SYNC_SUBTICK_MS;
        if (i == firstRow) step *= player.prevFraction;
        else if (i == currentRow) step *= 1.0f - player.curFraction;
        compensation += step;
        offset = (float)(int)(offset + row[1]);
    }
    player.lastPlayedRow = currentRow;
    timeOffset = (int)(offset + compensation);
    player.prevRealSample = player.curRealSample;
}

int firstChangedSyncRow() {
    return firstChangedRow;
}

int lastPlayedSyncRow() {
    return player.lastPlayedRow;
}

void addSyncPlayerState() {
    addStateBlock("sync track: player", &player, sizeof player, resetSyncPlayer);
}

int syncRowAtMs(int ms) {
    // Single precision, as the row clock has always been computed: the row boundaries fall where
    // these roundings put them, which the exact ratio alone does not tell.
    float position = (float)ms / FRAME_MS * SYNC_ROWS_PER_FRAME;
    if (position > (float)MAX_SYNC_ROWS) position = (float)MAX_SYNC_ROWS;
    const int row = (int)position;
    return row > MAX_SYNC_ROWS - 1 ? MAX_SYNC_ROWS - 1 : row;
}

int syncRowStartMs(int row) {
    if (row <= 0) return 0;
    if (row > MAX_SYNC_ROWS - 1) row = MAX_SYNC_ROWS - 1;
    // The exact ratio lands within a ms of the player's boundary; the player's arithmetic settles it.
    int ms = (int)ceil(row * (double)FRAME_MS / (double)SYNC_ROWS_PER_FRAME);
    while (ms > 0 && syncRowAtMs(ms - 1) >= row) ms--;
    while (syncRowAtMs(ms) < row) ms++;
    return ms;
}

int64_t syncRowFrame(int row, int fps) {
    return firstFrameFrom(syncRowStartMs(row), fps);
}

int syncRowEvent(int row, int slot) {
    if (row < 0 || row >= MAX_SYNC_ROWS) return 0;
    return (int)syncTable[row][slot == 0 ? 2 : 5];
}

bool syncRowFires(int row, int code) {
    return syncRowEvent(row, 0) == code || syncRowEvent(row, 1) == code;
}

int syncEndRow() {
    for (int row = 0; row < syncRowCount; row++)
        if (syncRowFires(row, SYNC_EXIT)) return row;
    return -1;
}

int syncEndMs() {
    const int row = syncEndRow();
    return row < 0 ? -1 : syncRowStartMs(row);
}

int syncPartStartRows(int *rows, int capacity) {
    int count = 0;
    for (int row = 0; row < syncRowCount && count < capacity; row++)
        if (syncRowFires(row, SYNC_NEXT_PART)) rows[count++] = row;
    return count;
}
