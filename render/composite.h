// The end-of-frame composite: copy of the finished frame into fb1, colour grade, chromatic pass,
// logo, outro picture and fade to black, with the grade, title and fade state the sync track's
// keys drive.
#pragma once

constexpr int TITLE_IMAGE_COUNT = 5;   // title slots; nothing loads them, so they hold texture 0
constexpr int OUTRO_PICTURE_COUNT = 2; // outro1.tga, outro2.tga

enum TitleFadeState { TITLE_RISING = 0, TITLE_HOLDING = 1, TITLE_FALLING = 2 };

// Persists across frames and parts; reset only by resetComposite (tests).
struct CompositeState {
    int gradeMode;          // 3 until '8', then 1
    float gradeMix;         // 1 right after '8', fading to 0: share of the ungraded picture
    int gradeStart;         // ms, elapsed-time scale (the key's time stamp)
    float titleFade;        // held in [0.01, 0.99] once the composite has run
    int titleState;         // TitleFadeState
    int titleIndex;         // 0 .. TITLE_IMAGE_COUNT - 1
    float factorr, factorg, factorb;
    int swapbg;             // -1 none, 0 swap blue and green
    float yscroll;          // title scroll, repeats every 1.5 s of the part
    bool outroOn;
    int outroIndex;
    bool fadeOut;
    int fadeStart;          // ms, the 'O' key's time stamp
};

// Written only by the composite (and its reset): testfactor scales the film grain; fadeLevel is
// 0..1 once the fade to black has started. The mesh renderers read testfactor.
extern float testfactor;   // the show never changes it (1)
extern float fadeLevel;

// Builds the composite programs and loads overlay1.tga, blackscreen.tga / black.tga (one slot),
// outro1.tga and outro2.tga. Called once by the loading sequence.
void initComposite();
// Frame logic, no GL, once per frame after the part's step: grade and titles, then the fade (which
// also sets fadeLevel once the fade has started).
void stepComposite();
// Drawing, once per frame after the part has drawn, with the default framebuffer bound: reads what
// stepComposite left. Leaves the default framebuffer bound, no program, texture unit 0 active,
// blending on. Does nothing before initComposite.
void finalComposite();
// Shows outro picture index (sync track event) from the next composite on.
void showOutroPicture(int index);

// The pieces of stepComposite, in its order.
// Colour factors, the '8' grade change, the '4'/'5' title keys, gradeMix and yscroll.
void updateGradeAndTitles();
// The 'O' key starts the fade. Returns the fade level of this frame: 0 .. 1, reaching 1 500 ms
// after the key.
float updateFadeOut();
// Alpha of the outro picture at fade level fade.
float outroAlpha(float fade);
const CompositeState &compositeState();
void resetComposite();
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addCompositeState();
