// TGA decoding of arbitrary bytes.
#include <stdint.h>
#include <stdlib.h>

#include "assets/tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    TgaImage image;
    if (decodeTga(&image, data, size, "fuzz.tga")) {
        // Touch the last byte so a buffer shorter than its dimensions shows up.
        const size_t bytes = (size_t)image.width * image.height * (image.bitsPerPixel / 8);
        volatile uint8_t last = image.pixels[bytes - 1];
        (void)last;
    }
    free(image.pixels);
    return 0;
}
