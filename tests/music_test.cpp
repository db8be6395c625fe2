// Tests of the synthesiser and of the show's music file: length, level, timing, alignment, reproducibility.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "synth.h"

#include <mpg123.h>  // the decoder the show's audio library plays MP3 through

namespace {

std::string readFile(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

double dbfs(double amplitude) { return 20.0 * std::log10(std::max(amplitude, 1e-12)); }

int64_t rowSample(double row) { return (int64_t)std::llround(rowSeconds(row) * SAMPLE_RATE); }

// First sample index at or after `from` whose magnitude exceeds the threshold, or -1.
int64_t firstAbove(const std::vector<float> &v, int64_t from, float threshold)
{
    for (size_t i = (size_t)std::max<int64_t>(from, 0); i < v.size(); i++)
        if (std::fabs(v[i]) > threshold) return (int64_t)i;
    return -1;
}

Note note(int instrument, double row, float pitch = 60.0f)
{
    Note n;
    n.instrument = instrument;
    n.time = rowSeconds(row);
    n.length = rowSeconds(row + 1) - n.time;
    n.pitch = pitch;
    n.velocity = 1.0f;
    n.cutoff0 = n.cutoff1 = 0;
    return n;
}

} // namespace

// ---- synthesiser on small note lists ---------------------------------------------------------------------

TEST(Synth, NotesStartAtTheirExactRowTimeWithoutDrift)
{
    // A row is not a whole number of samples: a kick at row 480 must still start at round(480 x row length),
    // not 480 x round(row length).
    std::vector<Note> notes = {note(INS_KICK, 0.0), note(INS_KICK, 480.0)};
    StereoMix mix;
    renderNotes(notes, rowSeconds(482), mix);
    ASSERT_EQ(mix.left.size(), (size_t)rowSample(482));
    EXPECT_LE(std::llabs(firstAbove(mix.left, 0, 0.01f) - 0), 2);
    int64_t expected = rowSample(480);
    EXPECT_NE(expected, 480 * (int64_t)std::llround(ROW_MS / 1000.0 * SAMPLE_RATE));
    EXPECT_LE(std::llabs(firstAbove(mix.left, rowSample(479.5), 0.01f) - expected), 2);
}

TEST(Synth, LimiterHoldsTheCeiling)
{
    // Many loud hits stacked in one place.
    std::vector<Note> notes;
    for (int k = 0; k < 6; k++) {
        notes.push_back(note(INS_KICK, 2.0));
        notes.push_back(note(INS_BOOM, 2.0));
        notes.push_back(note(INS_CRASH, 2.0));
    }
    StereoMix mix;
    renderNotes(notes, rowSeconds(16), mix);
    masterMix(mix);
    float peak = 0;
    for (size_t i = 0; i < mix.left.size(); i++)
        peak = std::max(peak, std::max(std::fabs(mix.left[i]), std::fabs(mix.right[i])));
    EXPECT_LE(peak, LIMIT_CEILING * 1.0001f);
    EXPECT_GT(peak, LIMIT_CEILING * 0.9f);
}

// ---- the show's music ------------------------------------------------------------------------------------
// Each test runs in its own process and a full render takes seconds, so the checks on the whole piece share
// one render in one test.

namespace {

void expectLengthMatchesScore(const Score &score, const StereoMix &mix)
{
    double endSeconds = rowSeconds(endRow(score));
    double seconds = (double)mix.left.size() / SAMPLE_RATE;
    EXPECT_EQ(mix.left.size(), (size_t)std::llround(musicLengthSeconds(score) * SAMPLE_RATE));
    EXPECT_GE(seconds, endSeconds + 0.5) << "a short tail after the end event";
    EXPECT_LE(seconds, endSeconds + 4.0);
    EXPECT_GT(seconds, 150.0);
    EXPECT_LT(seconds, 210.0);
}

void expectLevelsDcAndStereo(const StereoMix &mix, const std::vector<int16_t> &pcm)
{
    double peak = 0, sumL = 0, sumR = 0, sumLL = 0, sumRR = 0, sumLR = 0;
    size_t n = mix.left.size();
    for (size_t i = 0; i < n; i++) {
        double l = mix.left[i], r = mix.right[i];
        peak = std::max(peak, std::max(std::fabs(l), std::fabs(r)));
        sumL += l;
        sumR += r;
        sumLL += l * l;
        sumRR += r * r;
        sumLR += l * r;
    }
    EXPECT_LT(dbfs(peak), -1.0);
    double rms = std::sqrt((sumLL + sumRR) / (2.0 * n));
    EXPECT_GT(dbfs(rms), -20.0) << "too quiet";
    EXPECT_LT(std::fabs(sumL / n), 1e-3) << "DC offset left";
    EXPECT_LT(std::fabs(sumR / n), 1e-3) << "DC offset right";
    double correlation = sumLR / std::sqrt(sumLL * sumRR);
    EXPECT_LT(correlation, 0.97) << "nearly mono";
    EXPECT_GT(correlation, 0.3) << "channels fight each other";
    EXPECT_EQ(pcm[pcm.size() - 1], 0) << "the end is faded out";
    EXPECT_EQ(pcm[pcm.size() - 2], 0);
}

// The downbeat of each part change and of the fade is an accent: louder over its first 150 ms than over
// the half row before it.
void expectPartChangesHitHard(const Score &score, const StereoMix &mix)
{
    auto rms = [&](int64_t from, int64_t count) {
        double s = 0;
        for (int64_t i = from; i < from + count; i++)
            s += (double)mix.left[i] * mix.left[i] + (double)mix.right[i] * mix.right[i];
        return std::sqrt(s / (2.0 * count));
    };
    for (const SyncEvent &e : score.events) {
        if (e.code != CODE_NEXT && e.code != CODE_FADE) continue;
        int64_t at = rowSample(e.row);
        double before = rms(at - rowSample(0.5), rowSample(0.5));
        double after = rms(at, (int64_t)(0.15 * SAMPLE_RATE));
        EXPECT_GT(after, before * 1.25) << "row " << e.row;
    }
}

} // namespace

TEST(ShowMusic, RenderedPieceFitsTheScoreAndIsReproducible)
{
    Score score;
    std::string error;
    ASSERT_TRUE(loadScore(LIGHTRIG_SCORE_PATH, score, error)) << error;
    StereoMix mix;
    renderMusic(score, mix);
    std::vector<int16_t> pcm;
    toPcm16(mix, pcm);

    expectLengthMatchesScore(score, mix);
    expectLevelsDcAndStereo(mix, pcm);
    expectPartChangesHitHard(score, mix);

    // The build wrote music.mp3 in another process; this render must encode to the same bytes.
    std::string tmp = ::testing::TempDir() + "music_test.mp3";
    ASSERT_TRUE(encodeMp3(pcm, tmp.c_str(), error)) << error;
    std::string built = readFile(LIGHTRIG_MP3_PATH), again = readFile(tmp.c_str());
    std::remove(tmp.c_str());
    ASSERT_FALSE(built.empty());
    EXPECT_TRUE(built == again) << "music.mp3 differs between runs (" << built.size() << " vs " << again.size() << " bytes)";
    EXPECT_NE(built.substr(0, 3), "ID3") << "no ID3 tag: nothing in the file depends on when it was made";
}

TEST(ShowMusic, DecodedMp3IsSampleAlignedWithThePcm)
{
    // mpg123 honours the LAME tag's delay and padding, so row r of the sync table is sample r x row length
    // of the decoded stream, as in the synthesised PCM.
    Score score;
    std::string error;
    ASSERT_TRUE(loadScore(LIGHTRIG_SCORE_PATH, score, error)) << error;
    ASSERT_EQ(mpg123_init(), MPG123_OK);
    int err = 0;
    mpg123_handle *h = mpg123_new(nullptr, &err);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(mpg123_open(h, LIGHTRIG_MP3_PATH), MPG123_OK);
    long rate = 0;
    int channels = 0, encoding = 0;
    ASSERT_EQ(mpg123_getformat(h, &rate, &channels, &encoding), MPG123_OK);
    EXPECT_EQ(rate, SAMPLE_RATE);
    EXPECT_EQ(channels, 2);
    ASSERT_EQ(encoding, MPG123_ENC_SIGNED_16);
    std::vector<int16_t> decoded;
    std::vector<unsigned char> buffer(1 << 16);
    for (;;) {
        size_t done = 0;
        int r = mpg123_read(h, buffer.data(), buffer.size(), &done);
        const int16_t *s = reinterpret_cast<const int16_t *>(buffer.data());
        decoded.insert(decoded.end(), s, s + done / 2);
        if (r != MPG123_OK) break;
    }
    mpg123_close(h);
    mpg123_delete(h);

    EXPECT_EQ(decoded.size(), 2 * (size_t)std::llround(musicLengthSeconds(score) * SAMPLE_RATE))
        << "gapless decoding gives back exactly the encoded length";
    int peak = 0;
    for (int16_t v : decoded) peak = std::max(peak, std::abs((int)v));
    EXPECT_LT(dbfs(peak / 32768.0), -1.0) << "MP3 overshoot";

    // Render only the notes around the first part change (the rest does not move its transients) and
    // cross-correlate the left channel with the decoded file there: the best lag is 0.
    const int partChange = 224;
    std::vector<Note> all, near;
    expandNotes(score, all);
    for (const Note &n : all)
        if (n.time >= rowSeconds(partChange - 16) && n.time < rowSeconds(partChange + 8)) near.push_back(n);
    StereoMix mix;
    renderNotes(near, rowSeconds(partChange + 8), mix);
    std::vector<float> &pcm = mix.left;
    int64_t centre = rowSample(partChange);
    const int64_t window = 8192, maxLag = 2048;
    ASSERT_LT((size_t)(2 * (centre + window + maxLag)), decoded.size());
    int64_t bestLag = 0;
    double best = -1e300;
    for (int64_t lag = -maxLag; lag <= maxLag; lag++) {
        double s = 0;
        for (int64_t i = centre - window; i < centre + window; i += 2)
            s += (double)pcm[i] * decoded[2 * (i + lag)];
        if (s > best) {
            best = s;
            bestLag = lag;
        }
    }
    EXPECT_EQ(bestLag, 0);
}
