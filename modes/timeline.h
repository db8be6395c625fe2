// The edit mode's timeline: a strip along the bottom of the window with the whole show from 0 to its
// end row, the parts as coloured spans, the sync rows' events as ticks, the loop range and the
// playhead; a click or a drag on it names a moment to jump to. Drawn with the overlay, onto the
// window only.
#pragma once
#include <stdint.h>

#include "modes/overlay.h"   // OverlayReadout

constexpr int MAX_TIMELINE_MARKS = 1024;   // events of the score (some 300) with room to grow
constexpr int MAX_TIMELINE_PARTS = 16;     // part spans; the show has three

enum TimelineMarkKind {
    MARK_CAMERA,        // a camera cue starts (or stops)
    MARK_PART,          // next part
    MARK_GRADE,         // the timed keys: '8'
    MARK_CENTRE_PIECE,  // 'I'
    MARK_PUSH,          // '5'
    MARK_SHAKE,         // '4'
    MARK_FADE,          // 'O'
    MARK_KIND_COUNT
};

struct TimelineMark {
    int ms;     // of show time, where its row starts
    int kind;   // TimelineMarkKind
};

struct TimelineParts {
    int count;
    int startMs[MAX_TIMELINE_PARTS];   // part i runs from startMs[i] to startMs[i + 1] (the end for the last)
};

// The show's end: where the sync table's exit row starts (its last row when none ends it).
int timelineEndMs();
// The events of the loaded sync table, in row order; returns how many (at most capacity).
int timelineMarks(TimelineMark *marks, int capacity);
TimelineParts timelineParts();
// Sets the strip's place for a drawable of this size (the draw does it every time).
void layOutTimeline(int drawableWidth, int drawableHeight);
// The moment (ms) under a point of the window given as fractions from its top left, when the point
// is on the strip laid out last (anyHeight: at any height, for a drag that started on it; the moment
// is then clamped to the show). False when it is not.
bool timelineMomentAt(float x, float y, bool anyHeight, int *ms);
// Draws the strip for the read-out's frame and loop when the overlay is shown. Leaves the GL state
// as it found it.
void drawTimeline(int drawableWidth, int drawableHeight, const OverlayReadout &readout);
