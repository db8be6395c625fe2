// Part routines. Part A counts its calls so that a part change leaves the sync track's start time
// in force.
#include "parts/light_rig.h"

#include "shell/dispatcher.h"

void runPartA() {
    partCallCounter++;
    partFrameCounter++;
}

void runPartB() {
    partFrameCounter++;
}

void runPartC() {
    partFrameCounter++;
}
