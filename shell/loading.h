// The loading sequence: everything the show needs is created before the first frame, behind a
// progress screen.
#pragma once

// Returns 1; missing files are handled by the loaders.
int loadAll();

// Framebuffer of the 512 x 512 environment target: the first framebuffer loading creates.
unsigned int environmentFramebuffer();
