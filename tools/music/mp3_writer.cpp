// MP3 and WAV writers for the rendered music. Owns no state.
#include "synth.h"

#include <cstdio>
#include <lame/lame.h>  // libmp3lame

bool encodeMp3(const std::vector<int16_t> &interleaved, const char *path, std::string &error)
{
    lame_t lame = lame_init();
    if (!lame) {
        error = "lame_init failed";
        return false;
    }
    lame_set_in_samplerate(lame, SAMPLE_RATE);
    lame_set_out_samplerate(lame, SAMPLE_RATE);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, 192);
    lame_set_quality(lame, 2);
    lame_set_write_id3tag_automatic(lame, 0);
    lame_set_bWriteVbrTag(lame, 1);  // the LAME tag: delay and padding for gapless decoders
    if (lame_init_params(lame) < 0) {
        error = "lame_init_params failed";
        lame_close(lame);
        return false;
    }
    // "w+b": the tag is written back into the first frame after encoding.
    FILE *f = std::fopen(path, "w+b");
    if (!f) {
        error = std::string(path) + ": cannot create";
        lame_close(lame);
        return false;
    }
    const int CHUNK = 8192;  // stereo samples per encode call
    std::vector<unsigned char> buffer(CHUNK * 5 / 4 + 7200);
    size_t frames = interleaved.size() / 2;
    bool ok = true;
    for (size_t at = 0; at < frames && ok; at += CHUNK) {
        int count = (int)std::min<size_t>(CHUNK, frames - at);
        int bytes = lame_encode_buffer_interleaved(lame, const_cast<short *>(&interleaved[2 * at]), count,
                                                   buffer.data(), (int)buffer.size());
        ok = bytes >= 0 && std::fwrite(buffer.data(), 1, (size_t)bytes, f) == (size_t)bytes;
    }
    if (ok) {
        int bytes = lame_encode_flush(lame, buffer.data(), (int)buffer.size());
        ok = bytes >= 0 && std::fwrite(buffer.data(), 1, (size_t)bytes, f) == (size_t)bytes;
    }
    if (ok) lame_mp3_tags_fid(lame, f);
    lame_close(lame);
    ok = std::fclose(f) == 0 && ok;
    if (!ok) error = std::string(path) + ": encoding or writing failed";
    return ok;
}

bool writeWav(const std::vector<int16_t> &interleaved, const char *path, std::string &error)
{
    FILE *f = std::fopen(path, "wb");
    if (!f) {
        error = std::string(path) + ": cannot create";
        return false;
    }
    auto u32 = [&](uint32_t v) { unsigned char b[4] = {(unsigned char)v, (unsigned char)(v >> 8), (unsigned char)(v >> 16), (unsigned char)(v >> 24)}; std::fwrite(b, 1, 4, f); };
    auto u16 = [&](uint16_t v) { unsigned char b[2] = {(unsigned char)v, (unsigned char)(v >> 8)}; std::fwrite(b, 1, 2, f); };
    uint32_t dataBytes = (uint32_t)(interleaved.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);                       // PCM
    u16(2);                       // channels
    u32(SAMPLE_RATE);
    u32(SAMPLE_RATE * 4);         // bytes per second
    u16(4);                       // bytes per frame
    u16(16);                      // bits
    std::fwrite("data", 1, 4, f);
    u32(dataBytes);
    for (int16_t s : interleaved) u16((uint16_t)s);
    bool ok = std::fclose(f) == 0;
    if (!ok) error = std::string(path) + ": write failed";
    return ok;
}
