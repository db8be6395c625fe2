// Owns the overlay's switch and the latest read-out. Text is set with the show's font atlas
// (font2.tga: 16 x 16 cells of 32 pixels, character c in column c % 16, row c / 16 from the top).
#include "modes/overlay.h"

#include <stdio.h>
#include <string.h>

#include "core/clock.h"          // frameStartMs
#include "parts/show_assets.h"   // fontTexture
#include "platform/gl.h"
#include "shell/dispatcher.h"    // demoeffect
#include "shell/playlist.h"      // sceneNumber
#include "shell/sync_track.h"    // the row of a moment

constexpr int FONT_CELLS = 16;
constexpr float GLYPH_PIXELS = 22.0f;     // cell size on the window
constexpr float GLYPH_ADVANCE = 12.5f;    // monospaced: the glyphs fill a little over half a cell
constexpr float MARGIN = 8.0f;

static struct {
    bool shown;
    bool timersTried;
    OverlayReadout readout;
} overlay;

void showOverlay(bool on) {
    overlay.shown = on;
    if (on && !overlay.timersTried) {
        overlay.timersTried = true;
        enablePassTimers();
    }
}

bool overlayShown() {
    return overlay.shown;
}

void setOverlayReadout(const OverlayReadout &readout) {
    overlay.readout = readout;
}

static const char *partName() {
    switch (demoeffect) {
    case PART_A: return "A";
    case PART_B: return "B";
    case PART_C: return "C";
    default: return "-";
    }
}

static void formatMoment(char *text, int capacity, int64_t frame, int fps) {
    const int64_t ms = frameStartMs(frame, fps);
    snprintf(text, capacity, "%d:%02d.%03d", (int)(ms / 60000), (int)(ms / 1000 % 60), (int)(ms % 1000));
}

int formatOverlayLines(const OverlayReadout &r, char lines[OVERLAY_LINES][OVERLAY_LINE_BYTES]) {
    int count = 0;
    char moment[32], from[32], to[32];
    formatMoment(moment, sizeof moment, r.frame, r.fps);
    const int row = syncRowAtMs((int)frameStartMs(r.frame, r.fps));
    snprintf(lines[count++], OVERLAY_LINE_BYTES, "%s  row %d  scene %d  part %s%s", moment, row, (int)sceneNumber,
             partName(), r.paused ? "  PAUSED" : "");
    if (r.loopMarks > 0) {
        formatMoment(from, sizeof from, r.loopStart, r.fps);
        if (r.loopMarks == 1) snprintf(lines[count++], OVERLAY_LINE_BYTES, "loop from %s (L marks its end)", from);
        else {
            formatMoment(to, sizeof to, r.loopEnd, r.fps);
            snprintf(lines[count++], OVERLAY_LINE_BYTES, "loop %s - %s", from, to);
        }
    }
    snprintf(lines[count++], OVERLAY_LINE_BYTES, "frame %.1f ms  %.2f fps", r.frameMs,
             r.frameMs > 0.0 ? 1000.0 / r.frameMs : 0.0);
    if (r.havePassTimes) {
        // Two lines of four passes, GPU ms each.
        for (int half = 0; half < 2; half++) {
            char *line = lines[count++];
            line[0] = '\0';
            for (int p = half * PASS_COUNT / 2; p < (half + 1) * PASS_COUNT / 2; p++) {
                const size_t used = strlen(line);
                snprintf(line + used, OVERLAY_LINE_BYTES - used, "%s%s %.1f", used ? "  " : "", FRAME_PASS_NAMES[p],
                         r.passMs[p]);
            }
        }
    }
    // The error's first lines, one overlay line each.
    const char *error = r.reloadError ? r.reloadError : "";
    while (*error && count < OVERLAY_LINES) {
        const char *end = strchr(error, '\n');
        const int length = end ? (int)(end - error) : (int)strlen(error);
        snprintf(lines[count++], OVERLAY_LINE_BYTES, "%.*s", length < OVERLAY_LINE_BYTES - 1 ? length : OVERLAY_LINE_BYTES - 1,
                 error);
        error += end ? length + 1 : length;
    }
    return count;
}

static void drawGlyph(float x, float y, unsigned char c) {
    if (c < 32 || c > 126) return;
    const float cell = 1.0f / FONT_CELLS;
    const float u = (float)(c % FONT_CELLS) * cell;
    const float v = 1.0f - (float)(c / FONT_CELLS + 1) * cell;   // rows of the atlas count from the top
    glTexCoord2f(u, v);
    glVertex2f(x, y);
    glTexCoord2f(u + cell, v);
    glVertex2f(x + GLYPH_PIXELS, y);
    glTexCoord2f(u + cell, v + cell);
    glVertex2f(x + GLYPH_PIXELS, y + GLYPH_PIXELS);
    glTexCoord2f(u, v + cell);
    glVertex2f(x, y + GLYPH_PIXELS);
}

void beginOverlayDrawing(int width, int height) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (int unit = 7; unit >= 0; unit--) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_CUBE_MAP);
    }
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, width, height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_FOG);
    glDisable(GL_CLIP_PLANE0);
    glDisable(GL_CLIP_PLANE1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void endOverlayDrawing() {
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

const OverlayReadout &overlayReadout() {
    return overlay.readout;
}

void drawOverlay(int drawableWidth, int drawableHeight) {
    if (!overlay.shown || drawableWidth <= 0 || drawableHeight <= 0) return;
    char lines[OVERLAY_LINES][OVERLAY_LINE_BYTES];
    const int count = formatOverlayLines(overlay.readout, lines);
    int longest = 0;
    for (int i = 0; i < count; i++) longest = (int)strlen(lines[i]) > longest ? (int)strlen(lines[i]) : longest;

    GLint program = 0, activeUnit = GL_TEXTURE0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glUseProgram(0);
    beginOverlayDrawing(drawableWidth, drawableHeight);

    const float top = (float)drawableHeight - MARGIN;
    const float bottom = top - (float)count * GLYPH_PIXELS - MARGIN;
    glColor4f(0.0f, 0.0f, 0.0f, 0.6f);
    glRectf(0.0f, bottom, MARGIN * 2.0f + (float)longest * GLYPH_ADVANCE, (float)drawableHeight);

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, showAssets.fontTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1.0f, 0.95f, 0.6f, 1.0f);
    glBegin(GL_QUADS);
    for (int i = 0; i < count; i++) {
        const float y = top - (float)(i + 1) * GLYPH_PIXELS;
        for (int c = 0; lines[i][c]; c++)
            drawGlyph(MARGIN + (float)c * GLYPH_ADVANCE - (GLYPH_PIXELS - GLYPH_ADVANCE) * 0.5f, y,
                      (unsigned char)lines[i][c]);
    }
    glEnd();

    endOverlayDrawing();
    glActiveTexture((GLenum)activeUnit);
    glUseProgram((GLuint)program);
}
