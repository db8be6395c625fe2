// The frames of the three light-rig parts: what the dispatcher runs for parts A, B and C.
#pragma once

void runPartA();
void runPartB();
void runPartC();
// Once per part frame, before drawing (GL-free): the flash decays towards its floor (nothing raises
// it) and the kick keys lower the kick values in part A, lifting light 2 (at most 6 units).
void updateFlashAndKicks();
