// PNG pictures of the show's frames.
#pragma once

// Writes an 8-bit RGB PNG of width x height pixels; rgb holds the rows from the bottom up, as GL
// reads them. The file has no time stamp or other varying chunk, so the same pixels always give the
// same bytes. Returns false (after one line on stderr) when the file cannot be written.
bool writePng(const char *path, const unsigned char *rgb, int width, int height);
