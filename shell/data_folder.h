// Where the show finds its content: the folder it was started in, or else the folder of its own
// executable, so that a shortcut, a file manager or a terminal anywhere starts it alike.
#pragma once

// Works in the executable's folder from then on when the working folder has no data/ and that one
// has (what is missing inside data/ the loaders report). The output path from the command line
// (`output`, `outputCapacity` bytes; empty when there is none) is made absolute first, so it stays
// relative to where the user started. Returns -1 to go on, or exit status 1 after one line saying
// where it looked.
int enterDataFolder(char *output, int outputCapacity);
