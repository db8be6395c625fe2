// Renders the score's music and encodes it: score2mp3 SCORE OUT.mp3 [OUT.wav]
#include <cstdio>

#include "synth.h"

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: score2mp3 SCORE OUT.mp3 [OUT.wav]\n");
        return 2;
    }
    Score score;
    std::string error;
    if (!loadScore(argv[1], score, error)) {
        std::fprintf(stderr, "score2mp3: %s\n", error.c_str());
        return 1;
    }
    StereoMix mix;
    renderMusic(score, mix);
    std::vector<int16_t> pcm;
    toPcm16(mix, pcm);
    if (!encodeMp3(pcm, argv[2], error) || (argc == 4 && !writeWav(pcm, argv[3], error))) {
        std::fprintf(stderr, "score2mp3: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
