// Compares two folders of PNG pictures of the same names pixel by pixel and prints, per picture and
// in all, how many pixels differ and by how many levels at most (the largest difference of one
// channel). Status 1 when a picture is missing or unreadable, differs in size, or breaks a bar:
//   picture_diff REFERENCE_DIR CANDIDATE_DIR [MAX_LEVELS [MAX_DIFFERING_PER_MILLE]]
#include <dirent.h>
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

constexpr int MAX_PICTURES = 4096;
constexpr int MAX_NAME = 256;
constexpr int MAX_PATH = 4096;

static bool readPicture(const char *path, png_image *image, png_bytep *pixels) {
    memset(image, 0, sizeof *image);
    image->version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(image, path)) return false;
    image->format = PNG_FORMAT_RGB;
    *pixels = (png_bytep)malloc(PNG_IMAGE_SIZE(*image));
    if (!*pixels || !png_image_finish_read(image, nullptr, *pixels, 0, nullptr)) return false;
    return true;
}

static int byName(const void *a, const void *b) {
    return strcmp((const char *)a, (const char *)b);
}

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: picture_diff REFERENCE_DIR CANDIDATE_DIR [MAX_LEVELS [MAX_DIFFERING_PER_MILLE]]\n");
        return 2;
    }
    const int maxLevels = argc > 3 ? atoi(argv[3]) : 2;
    const double maxPerMille = argc > 4 ? atof(argv[4]) : 1000.0;
    static char names[MAX_PICTURES][MAX_NAME];
    int count = 0;
    DIR *dir = opendir(argv[1]);
    if (!dir) {
        fprintf(stderr, "picture_diff: cannot open %s\n", argv[1]);
        return 1;
    }
    while (dirent *entry = readdir(dir)) {
        const size_t length = strlen(entry->d_name);
        if (length > 4 && length < MAX_NAME && strcmp(entry->d_name + length - 4, ".png") == 0 && count < MAX_PICTURES)
            strcpy(names[count++], entry->d_name);
    }
    closedir(dir);
    qsort(names, count, MAX_NAME, byName);
    bool failed = count == 0;
    long long allDiffering = 0, allPixels = 0;
    int worst = 0, identical = 0;
    for (int i = 0; i < count; i++) {
        char pathA[MAX_PATH], pathB[MAX_PATH];
        snprintf(pathA, sizeof pathA, "%.3800s/%.255s", argv[1], names[i]);
        snprintf(pathB, sizeof pathB, "%.3800s/%.255s", argv[2], names[i]);
        png_image a, b;
        png_bytep pa = nullptr, pb = nullptr;
        if (!readPicture(pathA, &a, &pa) || !readPicture(pathB, &b, &pb) || a.width != b.width ||
            a.height != b.height) {
            printf("%s: missing, unreadable or of another size\n", names[i]);
            failed = true;
        } else {
            long long differing = 0;
            int largest = 0;
            const long long pixels = (long long)a.width * a.height;
            for (long long p = 0; p < pixels; p++) {
                int d = 0;
                for (int k = 0; k < 3; k++) {
                    const int delta = abs((int)pa[p * 3 + k] - (int)pb[p * 3 + k]);
                    if (delta > d) d = delta;
                }
                if (d) differing++;
                if (d > largest) largest = d;
            }
            const double perMille = 1000.0 * (double)differing / (double)pixels;
            printf("%s: %lld pixels differ (%.2f per mille), by at most %d levels\n", names[i], differing, perMille,
                   largest);
            identical += differing == 0;
            allDiffering += differing;
            allPixels += pixels;
            if (largest > worst) worst = largest;
            if (largest > maxLevels || perMille > maxPerMille) failed = true;
        }
        free(pa);
        free(pb);
    }
    printf("%d pictures, %d identical: %lld of %lld pixels differ (%.2f per mille), by at most %d levels\n", count,
           identical, allDiffering, allPixels, allPixels ? 1000.0 * (double)allDiffering / (double)allPixels : 0.0,
           worst);
    return failed ? 1 : 0;
}
