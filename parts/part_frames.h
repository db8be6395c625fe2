// The frames of the three light-rig parts: what the dispatcher runs for parts A, B and C.
#pragma once

void runPartA();
void runPartB();
void runPartC();
