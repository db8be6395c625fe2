// PNG encoding through libpng; keeps no state between calls.
#include "modes/png_writer.h"

#include <png.h>
#include <setjmp.h>   // libpng reports errors by longjmp
#include <stdio.h>

#include "core/diagnostics.h"
#include "platform/platform.h"

constexpr int MAX_PNG_ROWS = SCREEN_HEIGHT;   // the pictures are the show's frames

static void reportPngError(png_structp png, png_const_charp message) {
    logError("png: %s\n", message);
    png_longjmp(png, 1);
}

static void ignorePngWarning(png_structp, png_const_charp) {
}

bool writePng(const char *path, const unsigned char *rgb, int width, int height) {
    if (width <= 0 || height <= 0 || height > MAX_PNG_ROWS) {
        logError("png: %s: %d x %d is not a picture size this writer handles\n", path, width, height);
        return false;
    }
    FILE *file = fopen(path, "wb");
    if (!file) {
        logError("png: can't create %s\n", path);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, reportPngError, ignorePngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    // Filled before setjmp: the error path must not see values that changed after it.
    static png_bytep rows[MAX_PNG_ROWS];
    for (int y = 0; y < height; y++) rows[y] = (png_bytep)(rgb + (size_t)(height - 1 - y) * width * 3);
    volatile bool written = false;
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        png_write_image(png, rows);
        png_write_end(png, nullptr);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    if (fclose(file) != 0) written = false;
    if (!written) logError("png: writing %s failed\n", path);
    return written;
}
