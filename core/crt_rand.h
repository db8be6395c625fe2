// The show's own pseudo-random generator: the classic C runtime recurrence, so every platform
// draws the same numbers from the same seed.
#pragma once

constexpr int CRT_RAND_MAX = 0x7fff;

void crtSrand(unsigned int seed);
int crtRand();   // 0 .. CRT_RAND_MAX
// The runtime's default seed again.
void resetCrtRand();
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addCrtRandState();
