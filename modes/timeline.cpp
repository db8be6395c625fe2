// Owns the strip's place on the window as last laid out. Everything it shows is read from the sync
// table at every draw, so a reloaded table shows at once.
#include "modes/timeline.h"

#include "platform/gl.h"
#include "shell/sync_track.h"

constexpr float STRIP_HEIGHT = 26.0f;   // pixels of the drawable
constexpr float STRIP_MARGIN = 8.0f;    // from the window's edges
constexpr float GRAB_SLACK = 6.0f;      // a press this close above or below the strip still hits it

// Colours of the parts in the order the show plays them (A brass, C lacquer red, B gem blue), and of
// the ticks by kind.
static const float PART_COLOURS[3][3] = {{0.75f, 0.58f, 0.25f}, {0.70f, 0.18f, 0.20f}, {0.22f, 0.50f, 0.78f}};
static const float MARK_COLOURS[MARK_KIND_COUNT][3] = {
    {0.85f, 0.85f, 0.85f},   // camera
    {1.00f, 1.00f, 1.00f},   // part
    {0.40f, 1.00f, 0.40f},   // grade
    {1.00f, 0.90f, 0.20f},   // centre-piece
    {1.00f, 0.50f, 0.10f},   // push
    {1.00f, 0.30f, 0.90f},   // shake
    {0.30f, 0.90f, 1.00f},   // fade
};

static struct {
    float left, right;    // pixels from the drawable's left
    float bottom, top;    // pixels from its bottom
    int width, height;    // of the drawable; 0 before the first layout
} strip;

int timelineEndMs() {
    const int endMs = syncEndMs();
    return endMs >= 0 ? endMs : syncRowStartMs(syncRowCount > 0 ? syncRowCount - 1 : 0);
}

static int markOfCode(int code) {
    switch (code) {
    case SYNC_KEY_8: return MARK_GRADE;
    case SYNC_KEY_I: return MARK_CENTRE_PIECE;
    case SYNC_KEY_5: return MARK_PUSH;
    case SYNC_KEY_4: return MARK_SHAKE;
    case SYNC_KEY_O: return MARK_FADE;
    case SYNC_NEXT_PART: return MARK_PART;
    case SYNC_CAMERA_OFF: return MARK_CAMERA;
    default: return code >= SYNC_CAMERA_FIRST && code <= SYNC_CAMERA_LAST ? MARK_CAMERA : -1;
    }
}

int timelineMarks(TimelineMark *marks, int capacity) {
    int count = 0;
    for (int row = 0; row < syncRowCount; row++)
        for (int slot = 0; slot < 2; slot++) {
            const int kind = markOfCode(syncRowEvent(row, slot));
            if (kind >= 0 && count < capacity) marks[count++] = {syncRowStartMs(row), kind};
        }
    return count;
}

TimelineParts timelineParts() {
    TimelineParts parts = {};
    parts.startMs[parts.count++] = 0;
    int rows[MAX_TIMELINE_PARTS - 1];
    const int count = syncPartStartRows(rows, MAX_TIMELINE_PARTS - 1);
    for (int i = 0; i < count; i++) parts.startMs[parts.count++] = syncRowStartMs(rows[i]);
    return parts;
}

void layOutTimeline(int drawableWidth, int drawableHeight) {
    strip.width = drawableWidth;
    strip.height = drawableHeight;
    strip.left = STRIP_MARGIN;
    strip.right = (float)drawableWidth - STRIP_MARGIN;
    strip.bottom = STRIP_MARGIN;
    strip.top = STRIP_MARGIN + STRIP_HEIGHT;
}

bool timelineMomentAt(float x, float y, bool anyHeight, int *ms) {
    if (strip.width <= 0 || strip.right <= strip.left) return false;
    const float px = x * (float)strip.width;
    const float py = (1.0f - y) * (float)strip.height;   // from the bottom, as the strip is laid out
    const bool onStrip = px >= strip.left && px <= strip.right && py >= strip.bottom - GRAB_SLACK &&
                         py <= strip.top + GRAB_SLACK;
    if (!onStrip && !anyHeight) return false;
    float u = (px - strip.left) / (strip.right - strip.left);
    u = u < 0.0f ? 0.0f : u > 1.0f ? 1.0f : u;
    *ms = (int)((double)u * timelineEndMs() + 0.5);
    return true;
}

static float xOfMs(int ms, int endMs) {
    const float u = endMs > 0 ? (float)ms / (float)endMs : 0.0f;
    return strip.left + (u < 0.0f ? 0.0f : u > 1.0f ? 1.0f : u) * (strip.right - strip.left);
}

static void drawParts(int endMs) {
    const TimelineParts parts = timelineParts();
    for (int i = 0; i < parts.count; i++) {
        const int to = i + 1 < parts.count ? parts.startMs[i + 1] : endMs;
        const float *c = PART_COLOURS[i % 3];
        glColor4f(c[0], c[1], c[2], 0.85f);
        glRectf(xOfMs(parts.startMs[i], endMs), strip.bottom, xOfMs(to, endMs), strip.top);
    }
}

// Part changes run the strip's height, camera cues its lower third, the timed keys its upper half.
static void drawMarks(int endMs) {
    static TimelineMark marks[MAX_TIMELINE_MARKS];
    const int count = timelineMarks(marks, MAX_TIMELINE_MARKS);
    const float h = strip.top - strip.bottom;
    glBegin(GL_LINES);
    for (int i = 0; i < count; i++) {
        const float *c = MARK_COLOURS[marks[i].kind];
        glColor4f(c[0], c[1], c[2], 1.0f);
        const float x = xOfMs(marks[i].ms, endMs) + 0.5f;
        const float y0 = marks[i].kind == MARK_CAMERA ? strip.bottom : marks[i].kind == MARK_PART ? strip.bottom : strip.bottom + h * 0.5f;
        const float y1 = marks[i].kind == MARK_CAMERA ? strip.bottom + h * 0.33f : strip.top;
        glVertex2f(x, y0);
        glVertex2f(x, y1);
    }
    glEnd();
}

static void drawLoopAndPlayhead(const OverlayReadout &r, int endMs) {
    if (r.loopMarks > 0 && r.fps > 0) {
        const float x0 = xOfMs((int)(r.loopStart * 1000 / r.fps), endMs);
        const float x1 = r.loopMarks == 2 ? xOfMs((int)(r.loopEnd * 1000 / r.fps), endMs) : x0 + 2.0f;
        glColor4f(1.0f, 1.0f, 1.0f, 0.35f);
        glRectf(x0, strip.top, x1, strip.top + 5.0f);
    }
    if (r.fps <= 0) return;
    const float x = xOfMs((int)(r.frame * 1000 / r.fps), endMs);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glRectf(x - 2.0f, strip.bottom - 4.0f, x + 2.0f, strip.top + 4.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glRectf(x - 1.0f, strip.bottom - 3.0f, x + 1.0f, strip.top + 3.0f);
}

void drawTimeline(int drawableWidth, int drawableHeight, const OverlayReadout &readout) {
    if (!overlayShown() || drawableWidth <= 0 || drawableHeight <= 0) return;
    layOutTimeline(drawableWidth, drawableHeight);
    const int endMs = timelineEndMs();
    GLint program = 0, activeUnit = GL_TEXTURE0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glUseProgram(0);
    beginOverlayDrawing(drawableWidth, drawableHeight);
    glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
    glRectf(strip.left - 3.0f, strip.bottom - 3.0f, strip.right + 3.0f, strip.top + 3.0f);
    drawParts(endMs);
    drawMarks(endMs);
    drawLoopAndPlayhead(readout, endMs);
    endOverlayDrawing();
    glActiveTexture((GLenum)activeUnit);
    glUseProgram((GLuint)program);
}
