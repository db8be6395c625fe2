// The loading sequence: everything the show needs is created before the first frame, behind a
// progress screen.
#pragma once

constexpr int LOADING_STEPS = 32;        // progress steps; the bar is exactly full after the last
constexpr int PROGRESS_BAR_X = 560;      // bar rectangle, pixels, origin bottom left
constexpr int PROGRESS_BAR_Y = 514;
constexpr int PROGRESS_BAR_WIDTH = 800;
constexpr int PROGRESS_BAR_HEIGHT = 48;
constexpr int PROGRESS_STEP_PIXELS = 25; // 32 steps x 25 = the whole bar

// Returns 1; missing files are handled by the loaders.
int loadAll();
// Advances and presents the progress screen; Escape ends the process here with status 0.
void progressStep();
// Width of the bar's fill after count steps (pixels): 25 per step, never past the bar.
int progressFillWidth(float count);
// What loading leaves besides its assets, without drawing: the logic of the part A frame it renders
// before the show, the part counters and the playlist at their start. A seek that starts the show
// over runs it after resetShow (the picture of that frame lives on in the saved environment cube).
void stepLoadingFrame();
