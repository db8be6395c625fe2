// The frames of the three light-rig parts: what the dispatcher runs for parts A, B and C. A frame is
// its step (logic, no GL) followed by its draw (passes that read the step's state and change none).
#pragma once

void stepPartA();
void stepPartB();
void stepPartC();
void drawPartA();
void drawPartB();
void drawPartC();
// Step and draw of part A: the frame the loading sequence renders before the show.
void runPartA();
// Once per part frame, before drawing (GL-free): the flash decays towards its floor (nothing raises
// it) and the kick keys lower the kick values in part A, lifting light 2 (at most 6 units).
void updateFlashAndKicks();
// On: the draws run only the passes a later frame reads (the shadow atlas and the environment cube),
// for the warm-up frames of a seek, whose pictures nobody sees. Off again for a frame that is shown.
void drawCarriedPassesOnly(bool on);
bool drawingCarriedPassesOnly();
