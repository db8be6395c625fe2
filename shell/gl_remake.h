// Every GL object of the show made again, for a context the browser took away and gave back: the
// content is in memory, only what lived in the lost context is made anew.
#pragma once

// Makes every GL object again as loading made them (the loading frame's cube included), from the
// content files, the music left as it is, on the fixed-step clock. Loading steps the show's logic
// on: the caller brings it back to its frame with replayToFrame, which restores the nearest snapshot
// and draws the picture of that frame exactly. The picture goes straight to the window (the page's canvas is the
// show's size), so there is no screen target to make again.
void remakeGlObjects();
