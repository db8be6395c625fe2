// Writes the show's sync table from the score: score2sync SCORE OUT.csv
#include <cstdio>

#include "score.h"

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: score2sync SCORE OUT.csv\n");
        return 2;
    }
    Score score;
    std::string error;
    std::vector<SyncRow> rows;
    if (!loadScore(argv[1], score, error) || !compileSyncTable(score, rows, error)) {
        std::fprintf(stderr, "score2sync: %s\n", error.c_str());
        return 1;
    }
    std::string text = formatSyncTable(rows);
    FILE *f = std::fopen(argv[2], "wb");  // binary: "\n" line ends on every platform
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "score2sync: %s: cannot write\n", argv[2]);
        return 1;
    }
    return 0;
}
