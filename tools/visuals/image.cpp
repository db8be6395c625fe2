// Float RGBA images: construction, blending, filters and the TGA encoder. Owns no state.
#include "image.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// TGA packets carry at most 128 pixels (7-bit count + 1).
static const int TGA_MAX_PACKET = 128;

Image makeImage(int width, int height, float r, float g, float b, float a) {
    Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(size_t(width) * height * 4);
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        image.rgba[i] = r;
        image.rgba[i + 1] = g;
        image.rgba[i + 2] = b;
        image.rgba[i + 3] = a;
    }
    return image;
}

Plane makePlane(int width, int height, float value) {
    Plane plane;
    plane.width = width;
    plane.height = height;
    plane.v.assign(size_t(width) * height, value);
    return plane;
}

float planeWrapped(const Plane& plane, int x, int y) {
    x %= plane.width;
    y %= plane.height;
    if (x < 0) x += plane.width;
    if (y < 0) y += plane.height;
    return planeAt(plane, x, y);
}

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float smoothstep(float edge0, float edge1, float x) {
    float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float mixf(float a, float b, float t) { return a + (b - a) * t; }

Rgb mixRgb(Rgb a, Rgb b, float t) { return {mixf(a.r, b.r, t), mixf(a.g, b.g, t), mixf(a.b, b.b, t)}; }

Rgb scaleRgb(Rgb c, float k) { return {c.r * k, c.g * k, c.b * k}; }

void blendOver(Image& image, int x, int y, Rgb colour, float alpha) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height || alpha <= 0.0f) return;
    alpha = clamp01(alpha);
    float* p = pixelAt(image, x, y);
    float outA = alpha + p[3] * (1.0f - alpha);
    if (outA <= 0.0f) return;
    float keep = p[3] * (1.0f - alpha);
    p[0] = (colour.r * alpha + p[0] * keep) / outA;
    p[1] = (colour.g * alpha + p[1] * keep) / outA;
    p[2] = (colour.b * alpha + p[2] * keep) / outA;
    p[3] = outA;
}

void addLight(Image& image, int x, int y, Rgb colour, float amount) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    float* p = pixelAt(image, x, y);
    p[0] += colour.r * amount;
    p[1] += colour.g * amount;
    p[2] += colour.b * amount;
}

Image resampleImage(const Image& source, int width, int height) {
    Image out = makeImage(width, height, 0, 0, 0, 0);
    for (int y = 0; y < height; ++y) {
        float sy = (y + 0.5f) * source.height / height - 0.5f;
        int y0 = int(std::floor(sy));
        float fy = sy - y0;
        int ya = y0 < 0 ? 0 : y0;
        int yb = y0 + 1 >= source.height ? source.height - 1 : y0 + 1;
        for (int x = 0; x < width; ++x) {
            float sx = (x + 0.5f) * source.width / width - 0.5f;
            int x0 = int(std::floor(sx));
            float fx = sx - x0;
            int xa = x0 < 0 ? 0 : x0;
            int xb = x0 + 1 >= source.width ? source.width - 1 : x0 + 1;
            const float* p00 = pixelAt(source, xa, ya);
            const float* p10 = pixelAt(source, xb, ya);
            const float* p01 = pixelAt(source, xa, yb);
            const float* p11 = pixelAt(source, xb, yb);
            float* o = pixelAt(out, x, y);
            for (int c = 0; c < 4; ++c)
                o[c] = mixf(mixf(p00[c], p10[c], fx), mixf(p01[c], p11[c], fx), fy);
        }
    }
    return out;
}

// One box pass along rows (step 1) or columns (step width) of a plane.
static void boxPass(std::vector<float>& v, int count, int lines, int stride, int lineStride, int radius,
                    bool wrap) {
    std::vector<float> line(count);
    float norm = 1.0f / float(2 * radius + 1);
    for (int l = 0; l < lines; ++l) {
        float* base = &v[size_t(l) * lineStride];
        for (int i = 0; i < count; ++i) line[i] = base[size_t(i) * stride];
        auto at = [&](int i) {
            if (wrap) return line[((i % count) + count) % count];
            return line[i < 0 ? 0 : (i >= count ? count - 1 : i)];
        };
        float sum = 0.0f;
        for (int i = -radius; i <= radius; ++i) sum += at(i);
        for (int i = 0; i < count; ++i) {
            base[size_t(i) * stride] = sum * norm;
            sum += at(i + radius + 1) - at(i - radius);
        }
    }
}

void blurPlane(Plane& plane, int radius, bool wrap) {
    if (radius <= 0) return;
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(plane.v, plane.width, plane.height, 1, plane.width, radius, wrap);
        boxPass(plane.v, plane.height, plane.width, plane.width, 1, radius, wrap);
    }
}

static uint8_t toByte(float v) { return uint8_t(std::lround(clamp01(v) * 255.0f)); }

std::vector<uint8_t> encodeTga(const Image& image, int bitsPerPixel, bool runLength) {
    const int bytesPerPixel = bitsPerPixel / 8;
    std::vector<uint8_t> out(18, 0);
    out[2] = runLength ? 10 : 2;
    out[12] = uint8_t(image.width & 0xff);
    out[13] = uint8_t(image.width >> 8);
    out[14] = uint8_t(image.height & 0xff);
    out[15] = uint8_t(image.height >> 8);
    out[16] = uint8_t(bitsPerPixel);
    out[17] = bytesPerPixel == 4 ? 8 : 0;  // alpha bit count; origin bits left at bottom-left

    const size_t count = size_t(image.width) * image.height;
    std::vector<uint8_t> pixels(count * bytesPerPixel);
    for (size_t i = 0; i < count; ++i) {
        const float* p = &image.rgba[i * 4];
        uint8_t* q = &pixels[i * bytesPerPixel];
        q[0] = toByte(p[2]);
        q[1] = toByte(p[1]);
        q[2] = toByte(p[0]);
        if (bytesPerPixel == 4) q[3] = toByte(p[3]);
    }
    if (!runLength) {
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
    auto same = [&](size_t a, size_t b) {
        return std::memcmp(&pixels[a * bytesPerPixel], &pixels[b * bytesPerPixel], bytesPerPixel) == 0;
    };
    // Packets may cross row ends; the show's decoder counts pixels over the whole image.
    size_t i = 0;
    while (i < count) {
        size_t run = 1;
        while (i + run < count && run < TGA_MAX_PACKET && same(i, i + run)) ++run;
        if (run >= 2) {
            out.push_back(uint8_t(0x80 | (run - 1)));
            out.insert(out.end(), &pixels[i * bytesPerPixel], &pixels[(i + 1) * bytesPerPixel]);
            i += run;
            continue;
        }
        size_t raw = 1;  // extend the raw packet until a run of two starts or the packet is full
        while (i + raw < count && raw < TGA_MAX_PACKET && !(i + raw + 1 < count && same(i + raw, i + raw + 1)))
            ++raw;
        out.push_back(uint8_t(raw - 1));
        out.insert(out.end(), &pixels[i * bytesPerPixel], &pixels[(i + raw) * bytesPerPixel]);
        i += raw;
    }
    return out;
}

void writeFileOrDie(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fclose(f);
}

void writeTextOrDie(const std::string& path, const std::string& text) {
    writeFileOrDie(path, std::vector<uint8_t>(text.begin(), text.end()));
}

void writeTga(const Image& image, const std::string& path, int bitsPerPixel, bool runLength) {
    writeFileOrDie(path, encodeTga(image, bitsPerPixel, runLength));
}
