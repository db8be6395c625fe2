// Music synthesiser: renders the score's notes to a limited stereo mix at 44.1 kHz, and encodes it to MP3.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "score.h"

// Highest sample magnitude the limiter lets through: -3 dBFS. MP3 encoding of the limited mix overshoots
// by up to ~1.4 dB; this keeps the decoded file below -1 dBFS.
constexpr float LIMIT_CEILING = 0.7079458f;

struct StereoMix {
    std::vector<float> left, right;  // SAMPLE_RATE samples per second, starting at row 0
};

// Renders notes into a raw mix of the given length: buses, sidechain, delay, reverb, DC filter; no gain stage.
void renderNotes(const std::vector<Note> &notes, double seconds, StereoMix &mix);

// Brings a raw mix to the show's loudness, fades its last row out and limits its peaks to LIMIT_CEILING.
void masterMix(StereoMix &mix);

// Renders the whole piece: exactly round(musicLengthSeconds * SAMPLE_RATE) samples per channel.
void renderMusic(const Score &score, StereoMix &mix);

// Interleaved 16-bit PCM (left, right) of the mix, rounded to nearest.
void toPcm16(const StereoMix &mix, std::vector<int16_t> &interleaved);

// Constant 192 kbps MP3 with a LAME tag that carries encoder delay and padding, so decoders that honour it
// (the show's mpg123 and ffmpeg) start sample-aligned with the PCM. No ID3 tag, no time stamps.
bool encodeMp3(const std::vector<int16_t> &interleaved, const char *path, std::string &error);

// Plain 16-bit stereo WAV, for analysis with other tools.
bool writeWav(const std::vector<int16_t> &interleaved, const char *path, std::string &error);
