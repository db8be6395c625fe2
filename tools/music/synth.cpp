// Music synthesiser: one render function per instrument writes each note into mix buses; the buses are then
// ducked by the kick, sent through a ping-pong delay and a reverb, summed, DC-filtered and peak-limited.
// Owns nothing between calls: every render starts from silence and fixed seeds, so output is reproducible.
#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>   // limiter's sliding minimum

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 2.0 * PI;
constexpr float SR = (float)SAMPLE_RATE;

// Time the show's centre-piece takes to shrink (and then to grow back) after a 'vanish' event: s.
constexpr double VANISH_HALF_S = 16.666666 / 0.015634816 / 1000.0;
// Camera shake envelope length after a 'shake' event: s (rise and fall).
constexpr double SHAKE_S = 2.0 / (0.0098400944843888283 * 60.0);

// Deterministic noise: the classic C runtime recurrence, 15-bit values.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed) {}
    int next() { state = state * 214013u + 2531011u; return (int)((state >> 16) & 0x7fff); }
    float white() { return (float)next() * (2.0f / 32767.0f) - 1.0f; }
};

// Zero-delay-feedback state-variable filter; coefficients are cheap to refresh every block.
struct Svf {
    float ic1 = 0, ic2 = 0;
    float a1 = 0, a2 = 0, a3 = 0, k = 1;
    void set(float cutoff, float q)
    {
        cutoff = std::min(std::max(cutoff, 10.0f), SR * 0.45f);
        float g = (float)std::tan(PI * cutoff / SR);
        k = 1.0f / q;
        a1 = 1.0f / (1.0f + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    // Returns low-pass; band and high-pass through the pointers when wanted.
    float run(float v0, float *band = nullptr, float *high = nullptr)
    {
        float v3 = v0 - ic2;
        float v1 = a1 * ic1 + a2 * v3;
        float v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        if (band) *band = v1;
        if (high) *high = v0 - k * v1 - v2;
        return v2;
    }
};

float midiHz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

// Band-limited sawtooth step: phase in [0, 1), dt = frequency / SR.
float polyBlep(double t, double dt)
{
    if (t < dt) { t /= dt; return (float)(t + t - t * t - 1.0); }
    if (t > 1.0 - dt) { t = (t - 1.0) / dt; return (float)(t * t + t + t + 1.0); }
    return 0.0f;
}

struct Saw {
    double phase = 0;
    float step(double dt)
    {
        float v = (float)(2.0 * phase - 1.0) - polyBlep(phase, dt);
        phase += dt;
        if (phase >= 1.0) phase -= 1.0;
        return v;
    }
};

enum Bus { BUS_DRY, BUS_DUCKED, BUS_COUNT };

struct Buses {
    size_t length = 0;
    std::vector<float> l[BUS_COUNT], r[BUS_COUNT];
    std::vector<float> reverbL, reverbR, delayL, delayR;  // send buses
    std::vector<float> duck;                              // sidechain gain for BUS_DUCKED, 0..1
};

// Where one instrument goes: its bus and its send levels.
struct Routing { Bus bus; float reverb; float delay; };

// Writes one stereo sample of a note at index i (skipped beyond the end of the piece). Instruments without a
// filter of their own (drums, effects) pass through a low-pass here when the score asks for one.
struct Out {
    Buses &b;
    Routing route;
    bool filtered = false;
    Svf filterL, filterR;
    void add(int64_t i, float left, float right)
    {
        if (filtered) {
            left = filterL.run(left);
            right = filterR.run(right);
        }
        if (i < 0 || (size_t)i >= b.length) return;
        b.l[route.bus][i] += left;
        b.r[route.bus][i] += right;
        if (route.reverb > 0) { b.reverbL[i] += left * route.reverb; b.reverbR[i] += right * route.reverb; }
        if (route.delay > 0) { b.delayL[i] += left * route.delay; b.delayR[i] += right * route.delay; }
    }
};

// Fade over the last 256 samples of a fixed-length sound, so cutting its decay does not click.
float edge(int64_t i, int64_t len) { return std::min(1.0f, (float)(len - i) / 256.0f); }

int64_t startSample(const Note &n) { return (int64_t)std::llround(n.time * SAMPLE_RATE); }
int64_t samples(double seconds) { return (int64_t)std::llround(seconds * SAMPLE_RATE); }

// ---- drums --------------------------------------------------------------------------------------------

void renderKick(const Note &n, Noise &rng, Out out)
{
    int64_t s0 = startSample(n), len = samples(0.45);
    double phase = 0;
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR;
        float f = 52.0f + 130.0f * std::exp(-t / 0.025f) + 40.0f * std::exp(-t / 0.004f);
        phase += f / SR;
        float body = (float)std::sin(TWO_PI * phase) * std::exp(-t / 0.19f) * std::min(1.0f, t / 0.0008f);
        float click = rng.white() * std::exp(-t / 0.0018f) * 0.35f;
        float v = std::tanh(1.8f * (body + click)) * 0.55f * n.velocity * edge(i, len);
        out.add(s0 + i, v, v);
    }
}

void renderSnare(const Note &n, Noise &rng, Out out)
{
    int64_t s0 = startSample(n), len = samples(0.45);
    Svf hp, bp;
    hp.set(1400.0f, 0.7f);
    bp.set(4200.0f, 0.9f);
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR;
        float bend = 1.0f + 0.4f * std::exp(-t / 0.008f);
        float tone = ((float)std::sin(TWO_PI * 185.0 * bend * t) + 0.5f * (float)std::sin(TWO_PI * 330.0 * bend * t)) *
                     std::exp(-t / 0.055f);
        float w = rng.white(), hi, band;
        hp.run(w, nullptr, &hi);
        bp.run(w, &band);
        float noise = (hi * 0.4f + band * 0.9f) * std::exp(-t / 0.1f);
        float v = std::tanh(1.3f * (0.55f * tone + noise)) * 1.0f * n.velocity * std::min(1.0f, t / 0.0005f) * edge(i, len);
        out.add(s0 + i, v, v);
    }
}

void renderHat(const Note &n, Noise &rng, Out out, bool open)
{
    int64_t s0 = startSample(n), len = samples(open ? 0.7 : 0.15);
    float decay = open ? 0.16f : 0.026f;
    Svf hp;
    hp.set(7800.0f, 0.8f);
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR, hi;
        hp.run(rng.white(), nullptr, &hi);
        float v = hi * std::exp(-t / decay) * (open ? 0.3f : 0.4f) * n.velocity * edge(i, len);
        out.add(s0 + i, v * 0.75f, v);
    }
}

// Metallic partials (square waves at inharmonic ratios) shared by ride and crash.
struct Metal {
    double phase[6] = {};
    double step[6];
    explicit Metal(double scale)
    {
        static const double FREQS[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
        for (int k = 0; k < 6; k++) step[k] = FREQS[k] * 2.1 * scale / SR;
    }
    float next()
    {
        float sum = 0;
        for (int k = 0; k < 6; k++) {
            sum += phase[k] < 0.5 ? 1.0f : -1.0f;
            phase[k] += step[k];
            if (phase[k] >= 1.0) phase[k] -= 1.0;
        }
        return sum / 6.0f;
    }
};

void renderRide(const Note &n, Noise &rng, Out out)
{
    int64_t s0 = startSample(n), len = samples(1.2);
    Svf hp;
    hp.set(6000.0f, 0.9f);
    Metal metal(1.0);
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR, hi;
        hp.run(metal.next() * 0.7f + rng.white() * 0.3f, nullptr, &hi);
        float v = hi * (0.25f * std::exp(-t / 0.45f) + 0.5f * std::exp(-t / 0.02f)) * 0.35f * n.velocity * edge(i, len);
        out.add(s0 + i, v, v * 0.7f);
    }
}

void renderTom(const Note &n, Noise &rng, Out out, float f0)
{
    int64_t s0 = startSample(n), len = samples(0.6);
    double phase = 0;
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR;
        phase += f0 * (1.0f + 0.7f * std::exp(-t / 0.018f)) / SR;
        float v = ((float)std::sin(TWO_PI * phase) * std::exp(-t / 0.2f) + rng.white() * 0.3f * std::exp(-t / 0.01f)) *
                  0.55f * n.velocity;
        v = std::tanh(1.4f * v) * edge(i, len);
        float pan = f0 > 120.0f ? 0.8f : 1.0f;
        out.add(s0 + i, v * pan, v * (1.8f - pan));
    }
}

void renderCrash(const Note &n, Out out)
{
    int64_t s0 = startSample(n), len = samples(3.5);
    Noise nl(0x1234u + (uint32_t)s0), nr(0x9876u + (uint32_t)s0);
    Svf hl, hr;
    hl.set(3200.0f, 0.7f);
    hr.set(3400.0f, 0.7f);
    Metal metal(1.07);
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR, l, r;
        float m = metal.next() * 0.35f;
        hl.run(nl.white() + m, nullptr, &l);
        hr.run(nr.white() + m, nullptr, &r);
        float env = std::exp(-t / 0.85f) * std::min(1.0f, t / 0.0015f) * 0.24f * n.velocity * edge(i, len);
        out.add(s0 + i, l * env, r * env);
    }
}

// ---- bass -----------------------------------------------------------------------------------------------

// Bass oscillators take their phase from the absolute sample position, so a note that follows another of
// the same pitch continues its waveform and the 10 ms release and attack cross-fade without a dip.
void renderSub(const Note &n, Out out)
{
    int64_t s0 = startSample(n), held = samples(n.length), rel = samples(0.01);
    double f = midiHz(n.pitch);
    for (int64_t i = 0; i < held + rel; i++) {
        float t = (float)i / SR;
        float env = std::min(1.0f, t / 0.01f) * (i < held ? 1.0f : 1.0f - (float)(i - held) / rel);
        double phase = std::fmod(f * (double)(s0 + i) / SR, 1.0);
        float v = ((float)std::sin(TWO_PI * phase) + 0.12f * (float)std::sin(2.0 * TWO_PI * phase)) * env * 0.2f *
                  n.velocity;
        out.add(s0 + i, v, v);
    }
}

void renderReese(const Note &n, Out out)
{
    int64_t s0 = startSample(n), held = samples(n.length), rel = samples(0.015);
    double f = midiHz(n.pitch);
    static const float DETUNE[4] = {-0.09f, 0.07f, -0.06f, 0.10f};  // semitones: two saws per side
    Saw saws[4];
    double dts[4];
    for (int k = 0; k < 4; k++) {
        dts[k] = f * std::pow(2.0, DETUNE[k] / 12.0) / SR;
        saws[k].phase = std::fmod(dts[k] * (double)s0 + 0.25 * k, 1.0);
    }
    Svf fl, fr;
    float hpL = 0, hpR = 0, prevL = 0, prevR = 0;  // one-pole high-pass leaves the lowest octave to the sub
    float c0 = n.cutoff0 > 0 ? n.cutoff0 : 900.0f, c1 = n.cutoff1 > 0 ? n.cutoff1 : c0;
    for (int64_t i = 0; i < held + rel; i++) {
        float t = (float)i / SR;
        if (i % 32 == 0) {
            float x = held > 0 ? std::min(1.0f, (float)i / held) : 1.0f;
            float cut = c0 * std::pow(c1 / c0, x) * (1.0f + 0.5f * (float)std::sin(TWO_PI * 0.55 * (n.time + t))) *
                        (1.0f + 1.5f * std::exp(-t / 0.08f));
            fl.set(cut, 1.4f);
            fr.set(cut * 1.05f, 1.4f);
        }
        float l = 0, r = 0;
        for (int k = 0; k < 4; k++) (k < 2 ? l : r) += saws[k].step(dts[k]);
        l = std::tanh(2.2f * fl.run(l * 0.5f));
        r = std::tanh(2.2f * fr.run(r * 0.5f));
        float yl = 0.985f * (hpL + l - prevL), yr = 0.985f * (hpR + r - prevR);
        hpL = yl; hpR = yr; prevL = l; prevR = r;
        float env = std::min(1.0f, t / 0.008f) * (i < held ? 1.0f : 1.0f - (float)(i - held) / rel) * 0.28f * n.velocity;
        out.add(s0 + i, yl * env, yr * env);
    }
}

// ---- harmony and melody --------------------------------------------------------------------------------

void renderPad(const Note &n, Noise &rng, Out out)
{
    int64_t s0 = startSample(n), held = samples(n.length), rel = samples(1.1);
    double f = midiHz(n.pitch);
    static const float DETUNE[6] = {-0.13f, 0.02f, 0.11f, -0.08f, 0.14f, -0.01f};  // semitones; 0-2 left, 3-5 right
    Saw saws[6];
    double dts[6];
    for (int k = 0; k < 6; k++) {
        saws[k].phase = rng.next() / 32768.0;
        dts[k] = f * std::pow(2.0, DETUNE[k] / 12.0) / SR;
    }
    Svf fl, fr;
    float c0 = n.cutoff0 > 0 ? n.cutoff0 : 2200.0f, c1 = n.cutoff1 > 0 ? n.cutoff1 : c0;
    float lastEnv = 0;
    for (int64_t i = 0; i < held + rel; i++) {
        if (i % 32 == 0) {
            float x = held > 0 ? std::min(1.0f, (float)i / held) : 1.0f;
            float cut = c0 * std::pow(c1 / c0, x);
            fl.set(cut, 0.8f);
            fr.set(cut * 1.03f, 0.8f);
        }
        float t = (float)i / SR;
        float env;
        if (i < held) {
            env = 1.0f - std::exp(-t / 0.18f);
            lastEnv = env;
        } else {
            env = lastEnv * std::exp(-(float)(i - held) / SR / 0.3f) * edge(i, held + rel);
        }
        float l = saws[0].step(dts[0]) + saws[1].step(dts[1]) + saws[2].step(dts[2]);
        float r = saws[3].step(dts[3]) + saws[4].step(dts[4]) + saws[5].step(dts[5]);
        float g = env * 0.063f * n.velocity;
        out.add(s0 + i, fl.run(l) * g, fr.run(r) * g);
    }
}

void renderPluck(const Note &n, Out out, int index)
{
    int64_t s0 = startSample(n), len = samples(std::min(n.length + 0.25, 0.7));
    double f = midiHz(n.pitch);
    Saw a, b;
    b.phase = 0.5;
    Svf lp;
    float top = n.cutoff0 > 0 ? n.cutoff0 : 5000.0f;
    float pan = (index & 1) ? 0.7f : 1.0f;
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR;
        if (i % 16 == 0) lp.set(250.0f + top * std::exp(-t / 0.07f), 1.1f);
        float osc = a.step(f / SR) * 0.6f + b.step(f * 1.004 / SR) * 0.4f;
        float env = std::exp(-t / 0.22f) * std::min(1.0f, t / 0.002f) * std::min(1.0f, (float)(len - i) / 200.0f);
        float v = lp.run(osc) * env * 0.16f * n.velocity;
        out.add(s0 + i, v * pan, v * (1.7f - pan));
    }
}

// Glide source: the lead slides when a note starts where the previous one ends.
struct LeadState { float lastPitch = -1; double lastEnd = -1; };

void renderLead(const Note &n, Out out, LeadState &st)
{
    int64_t s0 = startSample(n), held = samples(n.length), rel = samples(0.15);
    float from = (st.lastPitch > 0 && std::fabs(n.time - st.lastEnd) < 0.005) ? st.lastPitch : n.pitch;
    st.lastPitch = n.pitch;
    st.lastEnd = n.time + n.length;
    Saw a, b, c;
    b.phase = 0.33;
    c.phase = 0.66;
    Svf lp;
    float top = n.cutoff0 > 0 ? n.cutoff0 : 3000.0f;
    bool legato = from != n.pitch;
    float lastEnv = 0;
    for (int64_t i = 0; i < held + rel; i++) {
        float t = (float)i / SR;
        float glide = std::min(1.0f, t / 0.06f);
        float vib = 0.22f * std::min(1.0f, std::max(0.0f, (t - 0.25f) / 0.3f)) * (float)std::sin(TWO_PI * 5.3 * t);
        double f = midiHz(from + (n.pitch - from) * glide + vib);
        if (i % 16 == 0) lp.set(top * (0.6f + (legato ? 0.2f : 0.9f) * std::exp(-t / 0.15f)), 1.0f);
        float osc = a.step(f * 0.9965 / SR) + b.step(f * 1.0035 / SR) + 0.5f * c.step(f * 0.5 / SR);
        float env;
        if (i < held) {
            env = std::min(1.0f, t / (legato ? 0.02f : 0.008f));
            lastEnv = env;
        } else {
            env = lastEnv * (1.0f - (float)(i - held) / rel);
        }
        float v = lp.run(osc) * env * 0.155f * n.velocity;
        out.add(s0 + i, v, v);
    }
}

void renderBell(const Note &n, Out out)
{
    int64_t s0 = startSample(n), len = samples(3.0);
    double f = midiHz(n.pitch);
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR;
        float index = 2.2f * std::exp(-t / 0.6f);
        float v = (float)std::sin(TWO_PI * f * t + index * std::sin(TWO_PI * f * 3.5 * t)) * std::exp(-t / 1.3f) +
                  0.25f * (float)std::sin(TWO_PI * f * 2.0 * t) * std::exp(-t / 0.4f);
        v *= std::min(1.0f, t / 0.002f) * std::min(1.0f, (float)(len - i) / 2000.0f) * 0.14f * n.velocity;
        out.add(s0 + i, v * 0.9f, v);
    }
}

// ---- effects and accents --------------------------------------------------------------------------------

void renderRiser(const Note &n, Out out)
{
    int64_t s0 = startSample(n), len = samples(n.length);
    Noise nl(0x51u + (uint32_t)s0), nr(0x73u + (uint32_t)s0);
    Svf bl, br;
    Saw saw;
    for (int64_t i = 0; i < len; i++) {
        float x = (float)i / len;
        if (i % 32 == 0) {
            float centre = 350.0f * std::pow(24.0f, x);
            bl.set(centre, 2.5f);
            br.set(centre * 1.1f, 2.5f);
        }
        float l, r;
        bl.run(nl.white(), &l);
        br.run(nr.white(), &r);
        float tone = saw.step(110.0 * std::pow(2.0, 3.0 * x) / SR) * 0.15f;
        float env = x * x * std::min(1.0f, (float)(len - i) / 400.0f) * 0.5f * n.velocity;
        out.add(s0 + i, (l + tone) * env, (r + tone) * env);
    }
}

void renderDowner(const Note &n, Out out)
{
    int64_t s0 = startSample(n), len = samples(ROW_MS * 4.0 / 1000.0);
    Noise nl(0x99u + (uint32_t)s0), nr(0x17u + (uint32_t)s0);
    Svf bl, br;
    for (int64_t i = 0; i < len; i++) {
        float x = (float)i / len;
        if (i % 32 == 0) {
            float centre = 6000.0f * std::pow(1.0f / 30.0f, x);
            bl.set(centre, 2.0f);
            br.set(centre * 0.92f, 2.0f);
        }
        float l, r;
        bl.run(nl.white(), &l);
        br.run(nr.white(), &r);
        float env = std::pow(1.0f - x, 1.5f) * std::min(1.0f, (float)i / 200.0f) * 0.5f * n.velocity;
        out.add(s0 + i, l * env, r * env);
    }
}

void renderBoom(const Note &n, Noise &rng, Out out)
{
    int64_t s0 = startSample(n), len = samples(2.5);
    Svf lp;
    lp.set(420.0f, 0.7f);
    double phase = 0;
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR;
        phase += (38.0f + 55.0f * std::exp(-t / 0.22f)) / SR;
        float v = (float)std::sin(TWO_PI * phase) * std::exp(-t / 0.8f) + lp.run(rng.white()) * 1.6f * std::exp(-t / 0.15f);
        v = std::tanh(1.5f * v * std::min(1.0f, t / 0.001f)) * 0.7f * n.velocity * edge(i, len);
        out.add(s0 + i, v, v);
    }
}

// A crash played backwards: it swells over the four rows before the note's time and stops half a row
// short of it, leaving a breath before the hit.
void renderReverseCrash(const Note &n, Out out)
{
    int64_t end = startSample(n) - samples(ROW_MS * 0.5 / 1000.0), len = samples(ROW_MS * 3.5 / 1000.0);
    Noise nl(0x3141u + (uint32_t)end), nr(0x2718u + (uint32_t)end);
    Svf hl, hr;
    hl.set(2500.0f, 0.7f);
    hr.set(2700.0f, 0.7f);
    for (int64_t i = 0; i < len; i++) {
        float before = (float)(len - i) / SR;  // s until the note time
        float l, r;
        hl.run(nl.white(), nullptr, &l);
        hr.run(nr.white(), nullptr, &r);
        float env = std::exp(-before / 0.45f) * std::min(1.0f, (float)(len - i) / 64.0f) * 0.3f * n.velocity;
        out.add(end - len + i, l * env, r * env);
    }
}

// Falls in pitch while the centre-piece shrinks and rises as it grows back.
void renderZap(const Note &n, Noise &rng, Out out)
{
    int64_t s0 = startSample(n), len = samples(2.0 * VANISH_HALF_S);
    double phase = 0;
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR;
        float p = (float)(t / VANISH_HALF_S);
        float f = p < 1.0f ? 1600.0f * std::pow(55.0f / 1600.0f, p) : 55.0f * std::pow(1600.0f / 55.0f, p - 1.0f);
        phase += f / SR;
        float fm = (float)std::sin(TWO_PI * phase + 1.3 * std::sin(TWO_PI * phase * 2.01));
        float env = 0.25f + 0.75f * std::fabs(1.0f - p);
        float click = rng.white() * std::exp(-t / 0.004f);
        float v = (fm * env * std::min(1.0f, (float)(len - i) / 1300.0f) * 0.16f + click * 0.3f) * n.velocity;
        float pan = 0.5f + 0.4f * (float)std::sin(PI * p);
        out.add(s0 + i, v * (1.5f - pan), v * (0.5f + pan));
    }
}

void renderRumble(const Note &n, Out out)
{
    int64_t s0 = startSample(n), len = samples(SHAKE_S);
    Noise nl(0x404u + (uint32_t)s0), nr(0x505u + (uint32_t)s0);
    Svf fl, fr;
    fl.set(170.0f, 1.2f);
    fr.set(190.0f, 1.2f);
    double phase = 0;
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR;
        float x = t / (float)SHAKE_S;
        float env = (x < 0.5f ? 2.0f * x : 2.0f - 2.0f * x);
        phase += 41.0 / SR;
        float wobble = 0.6f + 0.4f * (float)std::sin(TWO_PI * 7.0 * t);
        float sub = (float)std::sin(TWO_PI * phase) * wobble;
        float l = std::tanh(2.0f * (fl.run(nl.white()) * 3.0f + sub * 0.6f));
        float r = std::tanh(2.0f * (fr.run(nr.white()) * 3.0f + sub * 0.6f));
        float g = env * std::min(1.0f, (float)(len - i) / 400.0f) * 0.3f * n.velocity;
        out.add(s0 + i, l * g, r * g);
    }
}

void renderShimmer(const Note &n, Out out)
{
    int64_t s0 = startSample(n), len = samples(4.0);
    Noise nl(0x777u + (uint32_t)s0), nr(0x888u + (uint32_t)s0);
    Svf hl, hr;
    hl.set(7000.0f, 0.7f);
    hr.set(7500.0f, 0.7f);
    static const float PARTIALS[4] = {1318.5f, 1760.0f, 1975.5f, 2637.0f};  // E6 A6 B6 E7
    for (int64_t i = 0; i < len; i++) {
        float t = (float)i / SR, l, r;
        hl.run(nl.white(), nullptr, &l);
        hr.run(nr.white(), nullptr, &r);
        float tone = 0;
        for (int k = 0; k < 4; k++) tone += (float)std::sin(TWO_PI * PARTIALS[k] * t + k) * (k & 1 ? 0.8f : 1.0f);
        float env = std::min(1.0f, t / 0.03f) * std::exp(-t / 1.1f) * std::min(1.0f, (float)(len - i) / 2000.0f);
        float g = env * 0.12f * n.velocity;
        out.add(s0 + i, (l * 0.8f + tone * 0.18f) * g, (r * 0.8f + tone * 0.15f) * g);
    }
}

// Follows the camera push: a swell forward over 1 s, then back over the next second.
void renderWhoosh(const Note &n, Out out)
{
    int64_t s0 = startSample(n), len = samples(2.0);
    Noise nl(0x246u + (uint32_t)s0), nr(0x135u + (uint32_t)s0);
    Svf bl, br;
    for (int64_t i = 0; i < len; i++) {
        float p = (float)i / SR;  // 0..2, like the push
        float s = p < 1.0f ? (float)std::sin(p * PI * 0.5) : (float)std::sin((2.0f - p) * PI * 0.5);
        if (i % 32 == 0) {
            float centre = 300.0f * std::pow(14.0f, s);
            bl.set(centre, 1.8f);
            br.set(centre * 1.15f, 1.8f);
        }
        float l, r;
        bl.run(nl.white(), &l);
        br.run(nr.white(), &r);
        float g = s * s * 0.4f * n.velocity;
        out.add(s0 + i, l * g * (1.2f - 0.4f * s), r * g * (0.8f + 0.4f * s));
    }
}

Routing routingOf(int instrument)
{
    switch (instrument) {
    case INS_KICK: return {BUS_DRY, 0.0f, 0.0f};
    case INS_SNARE: return {BUS_DRY, 0.22f, 0.0f};
    case INS_HAT: case INS_OPEN_HAT: case INS_RIDE: return {BUS_DRY, 0.08f, 0.0f};
    case INS_TOM_HIGH: case INS_TOM_LOW: return {BUS_DRY, 0.25f, 0.1f};
    case INS_CRASH: return {BUS_DRY, 0.2f, 0.0f};
    case INS_SUB: return {BUS_DUCKED, 0.0f, 0.0f};
    case INS_REESE: return {BUS_DUCKED, 0.04f, 0.0f};
    case INS_PAD: return {BUS_DUCKED, 0.45f, 0.0f};
    case INS_PLUCK: return {BUS_DRY, 0.25f, 0.4f};
    case INS_LEAD: return {BUS_DRY, 0.3f, 0.3f};
    case INS_BELL: return {BUS_DRY, 0.45f, 0.3f};
    case INS_ZAP: return {BUS_DRY, 0.3f, 0.35f};
    case INS_SHIMMER: return {BUS_DRY, 0.6f, 0.0f};
    default: return {BUS_DRY, 0.3f, 0.0f};
    }
}

// Kick and boom pull the ducked bus down and let it recover over ~150 ms.
void addDuck(Buses &b, const Note &n, float depth)
{
    int64_t s0 = startSample(n), len = samples(0.35);
    for (int64_t i = 0; i < len; i++) {
        int64_t k = s0 + i;
        if (k < 0 || (size_t)k >= b.length) break;
        float t = (float)i / SR;
        float d = depth * n.velocity * std::min(1.0f, t / 0.004f) * std::exp(-t / 0.09f);
        b.duck[k] = std::min(b.duck[k], 1.0f - d);
    }
}

// Stereo ping-pong delay, three sixteenths (0.75 row) per hop: the send enters left, echoes alternate sides.
void runDelay(Buses &b, std::vector<float> &outL, std::vector<float> &outR)
{
    size_t d = (size_t)std::llround(ROW_MS * 0.75 / 1000.0 * SAMPLE_RATE);
    std::vector<float> lineL(d, 0.0f), lineR(d, 0.0f);
    float lpL = 0, lpR = 0;
    const float feedback = 0.42f, damp = 0.35f;
    size_t pos = 0;
    for (size_t i = 0; i < b.length; i++) {
        float echoL = lineL[pos], echoR = lineR[pos];
        lpL += (echoR - lpL) * (1.0f - damp);  // cross-feed: the left line is fed by the right echo
        lpR += (echoL - lpR) * (1.0f - damp);
        lineL[pos] = (b.delayL[i] + b.delayR[i]) * 0.5f + lpL * feedback;
        lineR[pos] = lpR * feedback;
        outL[i] = echoL;
        outR[i] = echoR;
        pos = pos + 1 == d ? 0 : pos + 1;
    }
}

// Schroeder-Moorer reverb: eight damped combs and four all-passes per side, right side slightly longer.
void runReverb(const std::vector<float> &inL, const std::vector<float> &inR, size_t length,
               std::vector<float> &outL, std::vector<float> &outR)
{
    static const int COMBS[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int ALLPASSES[4] = {556, 441, 341, 225};
    const int spread = 23;
    const float room = 0.86f, damp = 0.3f, inputGain = 0.03f;
    for (int side = 0; side < 2; side++) {
        const std::vector<float> &in = side ? inR : inL;
        std::vector<float> &out = side ? outR : outL;
        std::vector<float> combBuf[8], apBuf[4];
        size_t combPos[8] = {}, apPos[4] = {};
        float combLp[8] = {};
        for (int c = 0; c < 8; c++) combBuf[c].assign(COMBS[c] + side * spread, 0.0f);
        for (int a = 0; a < 4; a++) apBuf[a].assign(ALLPASSES[a] + side * spread, 0.0f);
        for (size_t i = 0; i < length; i++) {
            float x = (in[i] + (side ? inL[i] : inR[i]) * 0.3f) * inputGain, acc = 0;
            for (int c = 0; c < 8; c++) {
                float y = combBuf[c][combPos[c]];
                combLp[c] = y * (1.0f - damp) + combLp[c] * damp;
                combBuf[c][combPos[c]] = x + combLp[c] * room;
                if (++combPos[c] == combBuf[c].size()) combPos[c] = 0;
                acc += y;
            }
            for (int a = 0; a < 4; a++) {
                float buf = apBuf[a][apPos[a]];
                apBuf[a][apPos[a]] = acc + buf * 0.5f;
                acc = buf - acc;
                if (++apPos[a] == apBuf[a].size()) apPos[a] = 0;
            }
            out[i] = acc;
        }
    }
}

// Look-ahead peak limiter: gain never lets |sample| exceed LIMIT_CEILING; drops are smoothed over
// LOOKAHEAD samples before the peak and recover with a 60 ms time constant (slower than a bass period, so
// the gain does not follow the waveform).
void limit(std::vector<float> &l, std::vector<float> &r)
{
    const int64_t LOOKAHEAD = 96;  // 2.2 ms
    size_t n = l.size();
    std::vector<float> need(n);
    for (size_t i = 0; i < n; i++) {
        float peak = std::max(std::fabs(l[i]), std::fabs(r[i]));
        need[i] = peak > LIMIT_CEILING ? LIMIT_CEILING / peak : 1.0f;
    }
    // Minimum over [i - LOOKAHEAD, i + LOOKAHEAD], then a moving average over the same half-width: every
    // averaged value covers sample i, so the result stays at or below need[i].
    std::vector<float> lowest(n);
    std::deque<size_t> window;
    for (size_t j = 0; j < n + LOOKAHEAD; j++) {
        if (j < n) {
            while (!window.empty() && need[window.back()] >= need[j]) window.pop_back();
            window.push_back(j);
        }
        if (j < (size_t)LOOKAHEAD) continue;
        size_t i = j - LOOKAHEAD;
        while (window.front() + 2 * LOOKAHEAD < j) window.pop_front();
        lowest[i] = need[window.front()];
    }
    std::vector<double> prefix(n + 1, 0.0);
    for (size_t i = 0; i < n; i++) prefix[i + 1] = prefix[i] + lowest[i];
    float gain = 1.0f;
    const float release = 1.0f / (0.06f * SR);  // per sample
    for (size_t i = 0; i < n; i++) {
        size_t a = i >= (size_t)LOOKAHEAD ? i - LOOKAHEAD : 0, b = std::min(n, i + LOOKAHEAD + 1);
        float smooth = (float)((prefix[b] - prefix[a]) / (double)(b - a));
        smooth = std::min(smooth, need[i]);
        gain = std::min(smooth, gain + (1.0f - gain) * release);
        l[i] *= gain;
        r[i] *= gain;
    }
}

} // namespace

void renderNotes(const std::vector<Note> &notes, double seconds, StereoMix &mix)
{
    Buses b;
    b.length = (size_t)std::llround(seconds * SAMPLE_RATE);
    for (int k = 0; k < BUS_COUNT; k++) {
        b.l[k].assign(b.length, 0.0f);
        b.r[k].assign(b.length, 0.0f);
    }
    b.reverbL.assign(b.length, 0.0f);
    b.reverbR.assign(b.length, 0.0f);
    b.delayL.assign(b.length, 0.0f);
    b.delayR.assign(b.length, 0.0f);
    b.duck.assign(b.length, 1.0f);

    LeadState lead;
    for (size_t k = 0; k < notes.size(); k++) {
        const Note &n = notes[k];
        Out out{b, routingOf(n.instrument), false, Svf(), Svf()};
        bool ownFilter = n.instrument == INS_REESE || n.instrument == INS_PAD || n.instrument == INS_PLUCK ||
                         n.instrument == INS_LEAD;
        if (!ownFilter && n.cutoff0 > 0) {
            out.filtered = true;
            out.filterL.set(n.cutoff0, 0.707f);
            out.filterR.set(n.cutoff0, 0.707f);
        }
        Noise rng(0x5eedu + (uint32_t)k * 7919u);
        switch (n.instrument) {
        case INS_KICK: renderKick(n, rng, out); addDuck(b, n, 0.6f); break;
        case INS_SNARE: renderSnare(n, rng, out); break;
        case INS_HAT: renderHat(n, rng, out, false); break;
        case INS_OPEN_HAT: renderHat(n, rng, out, true); break;
        case INS_RIDE: renderRide(n, rng, out); break;
        case INS_TOM_HIGH: renderTom(n, rng, out, 165.0f); break;
        case INS_TOM_LOW: renderTom(n, rng, out, 98.0f); break;
        case INS_CRASH: renderCrash(n, out); break;
        case INS_SUB: renderSub(n, out); break;
        case INS_REESE: renderReese(n, out); break;
        case INS_PAD: renderPad(n, rng, out); break;
        case INS_PLUCK: renderPluck(n, out, (int)k); break;
        case INS_LEAD: renderLead(n, out, lead); break;
        case INS_BELL: renderBell(n, out); break;
        case INS_RISER: renderRiser(n, out); break;
        case INS_DOWNER: renderDowner(n, out); break;
        case INS_BOOM: renderBoom(n, rng, out); addDuck(b, n, 0.8f); break;
        case INS_REVERSE_CRASH: renderReverseCrash(n, out); break;
        case INS_ZAP: renderZap(n, rng, out); break;
        case INS_RUMBLE: renderRumble(n, out); break;
        case INS_SHIMMER: renderShimmer(n, out); break;
        case INS_WHOOSH: renderWhoosh(n, out); break;
        default: break;
        }
    }

    std::vector<float> echoL(b.length), echoR(b.length);
    runDelay(b, echoL, echoR);
    for (size_t i = 0; i < b.length; i++) {  // echoes get some room too
        b.reverbL[i] += echoL[i] * 0.3f;
        b.reverbR[i] += echoR[i] * 0.3f;
    }
    std::vector<float> wetL(b.length), wetR(b.length);
    runReverb(b.reverbL, b.reverbR, b.length, wetL, wetR);

    mix.left.assign(b.length, 0.0f);
    mix.right.assign(b.length, 0.0f);
    Svf dcL, dcR;  // 2nd-order high-pass at 22 Hz removes DC and sub-sonic drift
    dcL.set(22.0f, 0.707f);
    dcR.set(22.0f, 0.707f);
    for (size_t i = 0; i < b.length; i++) {
        float l = b.l[BUS_DRY][i] + b.l[BUS_DUCKED][i] * b.duck[i] + echoL[i] * 0.45f + wetL[i];
        float r = b.r[BUS_DRY][i] + b.r[BUS_DUCKED][i] * b.duck[i] + echoR[i] * 0.45f + wetR[i];
        float hl, hr;
        dcL.run(l, nullptr, &hl);
        dcR.run(r, nullptr, &hr);
        mix.left[i] = hl;
        mix.right[i] = hr;
    }
}

void masterMix(StereoMix &mix)
{
    size_t length = mix.left.size();
    double sumSquares = 0;
    for (size_t i = 0; i < length; i++) sumSquares += (double)mix.left[i] * mix.left[i] + (double)mix.right[i] * mix.right[i];
    // Loudness: bring the whole piece to a fixed RMS, then let the limiter catch the peaks.
    const double TARGET_RMS = 0.17;  // about -15.4 dBFS
    double rms = std::sqrt(sumSquares / (2.0 * (double)std::max<size_t>(length, 1)));
    float gain = rms > 0 ? (float)(TARGET_RMS / rms) : 1.0f;
    for (size_t i = 0; i < length; i++) {
        mix.left[i] *= gain;
        mix.right[i] *= gain;
    }
    // Fade the last row so the file ends in silence.
    size_t fade = std::min(length, (size_t)std::llround(ROW_MS / 1000.0 * SAMPLE_RATE));
    for (size_t k = 0; k < fade; k++) {
        float g = (float)k / (float)fade;
        mix.left[length - 1 - k] *= g;
        mix.right[length - 1 - k] *= g;
    }
    limit(mix.left, mix.right);
}

void renderMusic(const Score &score, StereoMix &mix)
{
    std::vector<Note> notes;
    expandNotes(score, notes);
    renderNotes(notes, musicLengthSeconds(score), mix);
    masterMix(mix);
}

void toPcm16(const StereoMix &mix, std::vector<int16_t> &interleaved)
{
    size_t n = mix.left.size();
    interleaved.resize(2 * n);
    for (size_t i = 0; i < n; i++) {
        float l = std::max(-1.0f, std::min(1.0f, mix.left[i])), r = std::max(-1.0f, std::min(1.0f, mix.right[i]));
        interleaved[2 * i] = (int16_t)std::lrint(l * 32767.0f);
        interleaved[2 * i + 1] = (int16_t)std::lrint(r * 32767.0f);
    }
}
