// The three light-rig parts of the show.
#pragma once

void runPartA();
void runPartB();
void runPartC();
