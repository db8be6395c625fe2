// TGA reading: true-colour images, uncompressed (type 2) and run-length encoded (type 10). Holds no
// state: a decoded record owns its pixels until the caller frees them or makes a texture of them.
#include "assets/tga.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "assets/data_file.h"
#include "assets/load_record.h"
#include "core/diagnostics.h"
#include "platform/gl.h"   // GL_RGB, GL_RGBA for the record's format

constexpr size_t TGA_HEADER_BYTES = 12;
constexpr size_t TGA_INFO_BYTES = 6;   // width, height (16-bit LE), bits per pixel, descriptor
constexpr int RLE_PACKET_LIMIT = 128;  // pixels per raw or run packet

// Largest pixel buffer we agree to make: 8192 x 8192 RGBA. The header allows 65535 x 65535 x 4
// (16 GB), which a run-length file of a few hundred MB could claim honestly.
constexpr uint64_t MAX_TGA_PIXEL_BYTES = 256ull << 20;
// Largest file read into memory: an uncompressed image of the largest buffer plus headers.
constexpr long MAX_TGA_FILE_BYTES = (long)MAX_TGA_PIXEL_BYTES + 4096;

// The two accepted headers: no image-ID field, no colour map, zero origin.
static const uint8_t UNCOMPRESSED_HEADER[TGA_HEADER_BYTES] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
static const uint8_t COMPRESSED_HEADER[TGA_HEADER_BYTES] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// One file pixel (B, G, R[, A]) stored as R, G, B[, A].
static void storePixel(uint8_t *out, const uint8_t *in, int bytesPerPixel) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    if (bytesPerPixel == 4) out[3] = in[3];
}

// Decodes packets until exactly pixelCount pixels are stored. With out null nothing is stored (a dry
// run that proves the data is all there before the buffer is allocated). Returns null on success,
// else the message for the failure.
static const char *decodeRle(const uint8_t *data, size_t size, uint8_t *out, uint64_t pixelCount,
                             int bytesPerPixel) {
    size_t pos = 0;
    uint64_t decoded = 0;
    while (decoded < pixelCount) {
        if (pos >= size) return "Could not read RLE header";
        const uint8_t header = data[pos++];
        const bool run = header >= RLE_PACKET_LIMIT;
        const uint64_t count = run ? header - (RLE_PACKET_LIMIT - 1) : header + 1u;
        if (decoded + count > pixelCount) return "Too many pixels read";
        if (run) {
            if (size - pos < (size_t)bytesPerPixel) return "Could not read from file";
            if (out) {
                for (uint64_t i = 0; i < count; i++)
                    storePixel(out + (decoded + i) * bytesPerPixel, data + pos, bytesPerPixel);
            }
            pos += bytesPerPixel;
        } else {
            for (uint64_t i = 0; i < count; i++) {
                if (size - pos < (size_t)bytesPerPixel) return "Could not read image data";
                if (out) storePixel(out + (decoded + i) * bytesPerPixel, data + pos, bytesPerPixel);
                pos += bytesPerPixel;
            }
        }
        decoded += count;
    }
    return nullptr;
}

bool decodeTga(TgaImage *image, const uint8_t *bytes, size_t size, const char *caption) {
    *image = TgaImage{};
    if (size < TGA_HEADER_BYTES) {
        errorBox("Could not read file header", caption);
        return false;
    }
    bool compressed;
    if (memcmp(bytes, UNCOMPRESSED_HEADER, TGA_HEADER_BYTES) == 0) {
        compressed = false;
    } else if (memcmp(bytes, COMPRESSED_HEADER, TGA_HEADER_BYTES) == 0) {
        compressed = true;
        logOut("loading compressed tga\n");
    } else {
        errorBox("TGA file be type 2 or type 10 ", caption);
        return false;
    }

    // The compressed path refuses a short or invalid information block without a message box.
    if (size - TGA_HEADER_BYTES < TGA_INFO_BYTES) {
        if (compressed) debugLog("%s: information header cut short\n", caption);
        else errorBox("Could not read info header", "ERROR");
        return false;
    }
    const uint8_t *info = bytes + TGA_HEADER_BYTES;
    const uint32_t width = info[0] | (uint32_t)info[1] << 8;
    const uint32_t height = info[2] | (uint32_t)info[3] << 8;
    const uint32_t bitsPerPixel = info[4];   // info[5], the descriptor, is not consulted
    if (width == 0 || height == 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) {
        if (compressed) debugLog("%s: %ux%u at %u bits is not a true-colour image\n", caption, width, height, bitsPerPixel);
        else errorBox("Invalid texture information", caption);
        return false;
    }
    const int bytesPerPixel = (int)bitsPerPixel / 8;
    const uint64_t pixelCount = (uint64_t)width * height;
    const uint64_t imageBytes = pixelCount * bytesPerPixel;
    if (imageBytes > MAX_TGA_PIXEL_BYTES) {
        errorBox("Could not allocate memory for image", caption);
        return false;
    }
    const uint8_t *data = info + TGA_INFO_BYTES;
    const size_t dataSize = size - TGA_HEADER_BYTES - TGA_INFO_BYTES;

    // Prove the file holds the whole image before allocating what its header asks for.
    if (!compressed && dataSize < imageBytes) {
        errorBox("Could not read image data", "ERROR");
        return false;
    }
    if (compressed) {
        if (const char *problem = decodeRle(data, dataSize, nullptr, pixelCount, bytesPerPixel)) {
            errorBox(problem, caption);
            return false;
        }
    }
    uint8_t *pixels = (uint8_t *)malloc(imageBytes);
    if (!pixels) {
        errorBox("Could not allocate memory for image", caption);
        return false;
    }
    if (compressed) {
        decodeRle(data, dataSize, pixels, pixelCount, bytesPerPixel);
    } else {
        memcpy(pixels, data, imageBytes);
        for (uint64_t i = 0; i < imageBytes; i += bytesPerPixel) {
            const uint8_t blue = pixels[i];
            pixels[i] = pixels[i + 2];
            pixels[i + 2] = blue;
        }
    }
    image->pixels = pixels;
    image->bitsPerPixel = bitsPerPixel;
    image->width = width;
    image->height = height;
    image->format = bytesPerPixel == 4 ? GL_RGBA : GL_RGB;
    return true;
}

bool loadtga(TgaImage *image, const char *name) {
    *image = TgaImage{};
    FILE *file = xfopen(name, "rb");
    logOut("loadtga filename = [%s] errno=%d\n", name ? name : "(null)", errno);
    if (!file) {
        logOut("file not opened\n");
        return false;
    }
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0) size = ftell(file);
    rewind(file);
    if (size < 0) size = 0;   // not seekable: reads as empty, refused as a short header
    if (size > MAX_TGA_FILE_BYTES) {
        fclose(file);
        noteLoadFallback("data/%s: %ld bytes, too large for a TGA image", name, size);
        errorBox("Could not allocate memory for image", name);
        return false;
    }
    uint8_t *bytes = (uint8_t *)malloc(size > 0 ? size : 1);
    if (!bytes) {
        fclose(file);
        errorBox("Could not allocate memory for image", name);
        return false;
    }
    const size_t got = fread(bytes, 1, size, file);
    fclose(file);
    const bool ok = decodeTga(image, bytes, got, name);
    free(bytes);
    if (!ok) noteLoadFallback("data/%s: no readable TGA image", name);
    return ok;
}
