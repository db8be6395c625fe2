// Show score: text parser, sync-table compiler and note expansion. Owns nothing beyond the Score it fills.
#include "score.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>  // loadScore
#include <sstream>

namespace {

struct NamedInstrument { const char *name; int instrument; };

// Names a `play` line or a drum voice may use.
const NamedInstrument INSTRUMENT_NAMES[] = {
    {"kick", INS_KICK}, {"snare", INS_SNARE}, {"hat", INS_HAT}, {"ohat", INS_OPEN_HAT}, {"ride", INS_RIDE},
    {"tomh", INS_TOM_HIGH}, {"toml", INS_TOM_LOW}, {"crash", INS_CRASH},
    {"sub", INS_SUB}, {"reese", INS_REESE}, {"pad", INS_PAD}, {"pluck", INS_PLUCK}, {"lead", INS_LEAD},
    {"bell", INS_BELL}, {"riser", INS_RISER}, {"downer", INS_DOWNER}, {"boom", INS_BOOM},
    {"revcrash", INS_REVERSE_CRASH}, {"zap", INS_ZAP}, {"rumble", INS_RUMBLE}, {"shimmer", INS_SHIMMER},
    {"whoosh", INS_WHOOSH},
};

int findInstrument(const std::string &name)
{
    for (const NamedInstrument &n : INSTRUMENT_NAMES)
        if (name == n.name) return n.instrument;
    return -1;
}

bool isDrumVoice(int instrument) { return instrument >= INS_KICK && instrument <= INS_CRASH; }

std::vector<std::string> splitWords(const std::string &text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

bool toInt(const std::string &s, int &out)
{
    if (s.empty()) return false;
    char *end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0') return false;
    out = (int)v;
    return true;
}

bool toDouble(const std::string &s, double &out)
{
    if (s.empty()) return false;
    char *end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return *end == '\0';
}

// "a>b" or "a": a ramp of two numbers.
bool toRamp(const std::string &s, float &a, float &b)
{
    size_t arrow = s.find('>');
    double x, y;
    if (arrow == std::string::npos) {
        if (!toDouble(s, x)) return false;
        a = b = (float)x;
        return true;
    }
    if (!toDouble(s.substr(0, arrow), x) || !toDouble(s.substr(arrow + 1), y)) return false;
    a = (float)x;
    b = (float)y;
    return true;
}

int findChord(const Score &s, const std::string &name)
{
    for (size_t i = 0; i < s.chords.size(); i++)
        if (s.chords[i].name == name) return (int)i;
    return -1;
}

int findProg(const Score &s, const std::string &name)
{
    for (size_t i = 0; i < s.progs.size(); i++)
        if (s.progs[i].name == name) return (int)i;
    return -1;
}

int findPattern(const Score &s, const std::string &name)
{
    for (size_t i = 0; i < s.patterns.size(); i++)
        if (s.patterns[i].name == name) return (int)i;
    return -1;
}

// Velocity of one drum step character; -1 for a character that is not a step.
float drumStepVelocity(char c)
{
    if (c == '.') return 0.0f;
    if (c == 'X') return 1.0f;
    if (c == 'x') return 0.8f;
    if (c == 'o') return 0.45f;
    if (c >= '1' && c <= '9') return (float)(c - '0') / 10.0f;
    return -1.0f;
}

// A comment starts at a '#' that begins a word ("f#4" is a note, "# text" is a comment).
std::string stripComment(const std::string &raw)
{
    for (size_t i = 0; i < raw.size(); i++)
        if (raw[i] == '#' && (i == 0 || raw[i - 1] == ' ' || raw[i - 1] == '\t')) return raw.substr(0, i);
    return raw;
}

struct Parser {
    Score &score;
    std::string &error;
    int lineNo = 0;

    bool fail(const std::string &message)
    {
        error = "line " + std::to_string(lineNo) + ": " + message;
        return false;
    }

    bool parseRow(const std::string &s, int &row)
    {
        if (!toInt(s, row) || row < 0 || row > MAX_SYNC_ROWS) return fail("bad row '" + s + "'");
        return true;
    }

    bool parseChord(const std::vector<std::string> &w)
    {
        // chord NAME BASS : TONE...
        if (w.size() < 5 || w[3] != ":") return fail("expected: chord NAME BASS : TONES...");
        if (findChord(score, w[1]) >= 0) return fail("chord '" + w[1] + "' defined twice");
        Chord c;
        c.name = w[1];
        c.bass = parseNoteName(w[2]);
        if (c.bass < 0) return fail("bad bass note '" + w[2] + "'");
        for (size_t i = 4; i < w.size(); i++) {
            int n = parseNoteName(w[i]);
            if (n < 0) return fail("bad chord tone '" + w[i] + "'");
            c.tones.push_back(n);
        }
        score.chords.push_back(c);
        return true;
    }

    bool parseProg(const std::vector<std::string> &w)
    {
        // prog NAME CHORD ROWS [CHORD ROWS...]
        if (w.size() < 4 || (w.size() - 2) % 2 != 0) return fail("expected: prog NAME CHORD ROWS ...");
        if (findProg(score, w[1]) >= 0) return fail("prog '" + w[1] + "' defined twice");
        Prog p;
        p.name = w[1];
        for (size_t i = 2; i < w.size(); i += 2) {
            ProgStep st;
            st.chord = findChord(score, w[i]);
            if (st.chord < 0) return fail("unknown chord '" + w[i] + "'");
            if (!toInt(w[i + 1], st.rows) || st.rows <= 0) return fail("bad chord length '" + w[i + 1] + "'");
            p.steps.push_back(st);
            p.rows += st.rows;
        }
        score.progs.push_back(p);
        return true;
    }

    bool parseHarmony(const std::vector<std::string> &w)
    {
        // harmony FROM TO PROG
        HarmonySpan h;
        if (w.size() != 4) return fail("expected: harmony FROM TO PROG");
        if (!parseRow(w[1], h.from) || !parseRow(w[2], h.to)) return false;
        if (h.to <= h.from) return fail("empty harmony span");
        h.prog = findProg(score, w[3]);
        if (h.prog < 0) return fail("unknown prog '" + w[3] + "'");
        score.harmony.push_back(h);
        return true;
    }

    // Block header "drums NAME STEPS_PER_ROW" or "line NAME STEPS_PER_ROW"; body lines until "end".
    bool beginPattern(const std::vector<std::string> &w, Pattern &p)
    {
        if (w.size() != 3) return fail("expected: " + w[0] + " NAME STEPS_PER_ROW");
        if (findPattern(score, w[1]) >= 0) return fail("pattern '" + w[1] + "' defined twice");
        p.name = w[1];
        p.drums = w[0] == "drums";
        p.line = lineNo;
        if (!toInt(w[2], p.stepsPerRow) || p.stepsPerRow < 1 || p.stepsPerRow > 16)
            return fail("bad steps per row '" + w[2] + "'");
        return true;
    }

    bool addDrumLine(const std::vector<std::string> &w, Pattern &p)
    {
        int voice = findInstrument(w[0]);
        if (voice < 0 || !isDrumVoice(voice)) return fail("unknown drum voice '" + w[0] + "'");
        std::vector<float> vel;
        for (size_t i = 1; i < w.size(); i++)
            for (char c : w[i]) {
                if (c == '|') continue;
                float v = drumStepVelocity(c);
                if (v < 0) return fail(std::string("bad drum step '") + c + "'");
                vel.push_back(v);
            }
        if (vel.empty()) return fail("drum voice without steps");
        if (!p.drumVel.empty() && (int)vel.size() != p.steps)
            return fail("voice has " + std::to_string(vel.size()) + " steps, pattern has " + std::to_string(p.steps));
        p.steps = (int)vel.size();
        p.drumVoices.push_back(voice);
        p.drumVel.push_back(vel);
        return true;
    }

    bool addLineTokens(const std::vector<std::string> &w, Pattern &p)
    {
        for (const std::string &t : w) {
            if (t == "|") continue;
            p.tokens.push_back(t);
        }
        p.steps = (int)p.tokens.size();
        return true;
    }

    bool parsePlay(const std::vector<std::string> &w)
    {
        // play FROM TO INSTRUMENT PATTERN [vol A[>B]] [lp A[>B]] [oct N]
        if (w.size() < 5) return fail("expected: play FROM TO INSTRUMENT PATTERN [options]");
        Play p;
        p.line = lineNo;
        if (!parseRow(w[1], p.from) || !parseRow(w[2], p.to)) return false;
        if (p.to <= p.from) return fail("empty play span");
        if (w[3] == "drums") {
            p.instrument = -1;
        } else {
            p.instrument = findInstrument(w[3]);
            if (p.instrument < 0 || isDrumVoice(p.instrument)) return fail("unknown instrument '" + w[3] + "'");
        }
        p.pattern = -1;
        if (w[4] != "-") {
            p.pattern = findPattern(score, w[4]);
            if (p.pattern < 0) return fail("unknown pattern '" + w[4] + "'");
            if (score.patterns[p.pattern].drums != (p.instrument == -1))
                return fail("pattern '" + w[4] + "' does not suit " + w[3]);
        } else if (p.instrument == -1) {
            return fail("drums need a pattern");
        }
        for (size_t i = 5; i < w.size(); i += 2) {
            if (i + 1 >= w.size()) return fail("option '" + w[i] + "' without value");
            if (w[i] == "vol") {
                if (!toRamp(w[i + 1], p.vol0, p.vol1)) return fail("bad vol '" + w[i + 1] + "'");
            } else if (w[i] == "lp") {
                if (!toRamp(w[i + 1], p.lp0, p.lp1) || p.lp0 <= 0 || p.lp1 <= 0) return fail("bad lp '" + w[i + 1] + "'");
            } else if (w[i] == "oct") {
                int o;
                if (!toInt(w[i + 1], o)) return fail("bad oct '" + w[i + 1] + "'");
                p.transpose = 12 * o;
            } else {
                return fail("unknown option '" + w[i] + "'");
            }
        }
        score.plays.push_back(p);
        return true;
    }

    bool parseHit(const std::vector<std::string> &w)
    {
        // hit ROW SOUND [VELOCITY]
        Hit h;
        if (w.size() < 3 || w.size() > 4) return fail("expected: hit ROW SOUND [VELOCITY]");
        if (!parseRow(w[1], h.row)) return false;
        h.instrument = findInstrument(w[2]);
        if (h.instrument < 0) return fail("unknown sound '" + w[2] + "'");
        double v = 1.0;
        if (w.size() == 4 && (!toDouble(w[3], v) || v <= 0 || v > 1)) return fail("bad velocity '" + w[3] + "'");
        h.velocity = (float)v;
        score.hits.push_back(h);
        return true;
    }

    bool parseEvent(int row, const std::vector<std::string> &w)
    {
        SyncEvent e;
        e.row = row;
        e.line = lineNo;
        const std::string &k = w[0];
        size_t want = 1;
        if (k == "grade") e.code = CODE_GRADE;
        else if (k == "vanish") e.code = CODE_VANISH;
        else if (k == "push") e.code = CODE_PUSH;
        else if (k == "shake") e.code = CODE_SHAKE;
        else if (k == "fade") e.code = CODE_FADE;
        else if (k == "next") e.code = CODE_NEXT;
        else if (k == "end") e.code = CODE_END;
        else if (k == "outro") {
            want = 2;
            e.code = CODE_OUTRO;
            if (w.size() != 2 || !toInt(w[1], e.value) || e.value < 0 || e.value > 1) return fail("expected: outro 0|1");
        } else if (k == "camera") {
            if (w.size() == 2 && w[1] == "off") {
                e.code = CODE_CAMERA_OFF;
                want = 2;
            } else {
                // camera FIRST-LAST ROWS
                want = 3;
                int first, last, rows;
                size_t dash = w.size() == 3 ? w[1].find('-') : std::string::npos;
                if (dash == std::string::npos || !toInt(w[1].substr(0, dash), first) ||
                    !toInt(w[1].substr(dash + 1), last) || !toInt(w[2], rows))
                    return fail("expected: camera FIRST-LAST ROWS");
                if (first < 0 || last < first || last >= MAX_CAMERA_SLOTS)
                    return fail("camera slots must lie within 0-" + std::to_string(MAX_CAMERA_SLOTS - 1));
                if (rows <= 0) return fail("camera cue needs a length in rows");
                e.code = CODE_CAMERA + first;
                e.value = last - first + 1;
                e.amount = rows;
            }
        } else if (k == "speed") {
            double d;
            if (w.size() != 2 || !toDouble(w[1], d) || d <= 0) return fail("expected: speed DIVISOR (> 0)");
            score.speeds.push_back({row, d});
            return true;
        } else if (k == "jump") {
            double ms;
            if (w.size() != 2 || !toDouble(w[1], ms)) return fail("expected: jump MS");
            score.jumps.push_back({row, ms});
            return true;
        } else {
            return fail("unknown event '" + k + "'");
        }
        if (w.size() != want) return fail("extra words after '" + k + "'");
        score.events.push_back(e);
        return true;
    }

    bool parseAt(const std::string &rest)
    {
        // at ROW EVENT [ARGS] [; EVENT [ARGS]]...
        std::vector<std::string> head = splitWords(rest.substr(0, rest.find(';')));
        if (head.size() < 3) return fail("expected: at ROW EVENT ...");
        int row;
        if (!parseRow(head[1], row)) return false;
        std::string events = rest.substr(rest.find(head[1]) + head[1].size());
        size_t start = 0;
        while (start <= events.size()) {
            size_t semi = events.find(';', start);
            std::string part = events.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
            std::vector<std::string> w = splitWords(part);
            if (w.empty()) return fail("empty event");
            if (!parseEvent(row, w)) return false;
            if (semi == std::string::npos) break;
            start = semi + 1;
        }
        return true;
    }

    bool run(const std::string &text)
    {
        std::istringstream in(text);
        std::string raw;
        Pattern block;
        bool inBlock = false;
        while (std::getline(in, raw)) {
            lineNo++;
            std::string line = stripComment(raw);
            std::vector<std::string> w = splitWords(line);
            if (w.empty()) continue;
            if (inBlock) {
                if (w[0] == "end" && w.size() == 1) {
                    if (block.steps == 0) return fail("pattern '" + block.name + "' has no steps");
                    score.patterns.push_back(block);
                    inBlock = false;
                } else if (block.drums ? !addDrumLine(w, block) : !addLineTokens(w, block)) {
                    return false;
                }
                continue;
            }
            const std::string &k = w[0];
            bool ok;
            if (k == "chord") ok = parseChord(w);
            else if (k == "prog") ok = parseProg(w);
            else if (k == "harmony") ok = parseHarmony(w);
            else if (k == "drums" || k == "line") {
                block = Pattern();
                ok = beginPattern(w, block);
                inBlock = ok;
            } else if (k == "play") ok = parsePlay(w);
            else if (k == "hit") ok = parseHit(w);
            else if (k == "at") ok = parseAt(line);
            else if (k == "tail") {
                ok = w.size() == 2 && toInt(w[1], score.tailRows) && score.tailRows >= 0;
                if (!ok) return fail("expected: tail ROWS");
            } else return fail("unknown keyword '" + k + "'");
            if (!ok) return false;
        }
        if (inBlock) return fail("pattern '" + block.name + "' has no 'end'");
        return true;
    }
};

// Chord in force at a (fractional) row, or nullptr outside every harmony span.
const Chord *chordAt(const Score &s, double row)
{
    for (const HarmonySpan &h : s.harmony) {
        if (row < h.from || row >= h.to) continue;
        const Prog &p = s.progs[h.prog];
        double offset = std::fmod(row - h.from, (double)p.rows);
        for (const ProgStep &st : p.steps) {
            if (offset < st.rows) return &s.chords[st.chord];
            offset -= st.rows;
        }
        return &s.chords[p.steps.back().chord];
    }
    return nullptr;
}

// Resolves a melodic token to a MIDI note: a note name, or relative to the chord: "r" its bass note,
// "r5" the fifth above it, "1".."9" its tones counted from the lowest (wrapping up an octave);
// each trailing ' raises an octave, each trailing , lowers one. Returns -1 when unresolvable.
int resolveToken(const std::string &token, const Chord *chord)
{
    int absolute = parseNoteName(token);
    if (absolute >= 0) return absolute;
    if (!chord) return -1;
    size_t end = token.size();
    int octave = 0;
    while (end > 0 && (token[end - 1] == '\'' || token[end - 1] == ',')) {
        octave += token[end - 1] == '\'' ? 12 : -12;
        end--;
    }
    std::string core = token.substr(0, end);
    if (core == "r") return chord->bass + octave;
    if (core == "r5") return chord->bass + 7 + octave;
    if (core.size() == 1 && core[0] >= '1' && core[0] <= '9' && !chord->tones.empty()) {
        int i = core[0] - '1';
        int n = (int)chord->tones.size();
        return chord->tones[i % n] + 12 * (i / n) + octave;
    }
    return -1;
}

float lerp(float a, float b, float t) { return a + (b - a) * t; }

// Exponential interpolation for cut-off frequencies (Hz).
float lerpHz(float a, float b, float t)
{
    if (a <= 0 || b <= 0) return a;
    return a * std::pow(b / a, t);
}

void expandPlay(const Score &s, const Play &p, std::vector<Note> &notes)
{
    double span = p.to - p.from;
    auto volAt = [&](double row) { return lerp(p.vol0, p.vol1, (float)((row - p.from) / span)); };
    auto lpAt = [&](double row) { return lerpHz(p.lp0, p.lp1, (float)((row - p.from) / span)); };
    auto addNote = [&](int ins, double row, double rows, float pitch, float vel) {
        Note n;
        n.instrument = ins;
        n.time = rowSeconds(row);
        n.length = rowSeconds(row + rows) - n.time;
        n.pitch = pitch;
        n.velocity = vel * volAt(row);
        n.cutoff0 = lpAt(row);
        n.cutoff1 = lpAt(row + rows);
        notes.push_back(n);
    };

    if (p.pattern < 0) {
        if (p.instrument == INS_PAD) {
            // One note per chord tone for each stretch of unchanged harmony.
            int segStart = p.from;
            for (int row = p.from + 1; row <= p.to; row++) {
                if (row < p.to && chordAt(s, row) == chordAt(s, segStart)) continue;
                const Chord *c = chordAt(s, segStart);
                if (c)
                    for (int tone : c->tones) addNote(INS_PAD, segStart, row - segStart, (float)(tone + p.transpose), 1.0f);
                segStart = row;
            }
        } else {
            addNote(p.instrument, p.from, span, 60.0f + p.transpose, 1.0f);
        }
        return;
    }

    const Pattern &pat = s.patterns[p.pattern];
    int total = (int)span * pat.stepsPerRow;
    for (int j = 0; j < total; j++) {
        double row = p.from + (double)j / pat.stepsPerRow;
        int step = j % pat.steps;
        if (pat.drums) {
            for (size_t v = 0; v < pat.drumVoices.size(); v++) {
                float vel = pat.drumVel[v][step];
                if (vel > 0) addNote(pat.drumVoices[v], row, 1.0 / pat.stepsPerRow, 60.0f, vel);
            }
            continue;
        }
        const std::string &t = pat.tokens[step];
        if (t == "-" || t == ".") continue;
        int held = 1;
        while (j + held < total && pat.tokens[(j + held) % pat.steps] == "-") held++;
        int pitch = resolveToken(t, chordAt(s, row));
        if (pitch < 0) continue;  // validated in checkPatterns
        addNote(p.instrument, row, (double)held / pat.stepsPerRow, (float)(pitch + p.transpose), 1.0f);
    }
}

// Accent sounds that every sync event brings with it, so that events always land on a musical hit.
void addEventAccents(const Score &s, std::vector<Hit> &hits)
{
    for (const SyncEvent &e : s.events) {
        switch (e.code) {
        case CODE_GRADE: hits.push_back({e.row, INS_CRASH, 1.0f}); hits.push_back({e.row, INS_SHIMMER, 1.0f});
                         hits.push_back({e.row, INS_BOOM, 1.0f}); break;
        case CODE_VANISH: hits.push_back({e.row, INS_ZAP, 1.0f}); break;
        case CODE_PUSH: hits.push_back({e.row, INS_BOOM, 0.8f}); hits.push_back({e.row, INS_WHOOSH, 1.0f});
                        hits.push_back({e.row, INS_CRASH, 0.6f}); break;
        case CODE_SHAKE: hits.push_back({e.row, INS_RUMBLE, 1.0f}); hits.push_back({e.row, INS_CRASH, 0.9f}); break;
        case CODE_FADE: hits.push_back({e.row, INS_BOOM, 1.0f}); hits.push_back({e.row, INS_CRASH, 1.0f}); break;
        case CODE_OUTRO: hits.push_back({e.row, INS_CRASH, 0.8f}); hits.push_back({e.row, INS_BOOM, 0.7f}); break;
        case CODE_NEXT: hits.push_back({e.row, INS_CRASH, 1.0f}); hits.push_back({e.row, INS_BOOM, 0.9f}); break;
        case CODE_END: hits.push_back({e.row, INS_BELL, 1.0f}); hits.push_back({e.row, INS_BOOM, 0.8f});
                       hits.push_back({e.row, INS_CRASH, 0.5f}); break;
        case CODE_CAMERA_OFF: break;
        default:  // camera cue
            hits.push_back({e.row, INS_CRASH, 0.8f});
            break;
        }
    }
    for (const SpeedChange &c : s.speeds)
        if (c.divisor > 1.0) {
            hits.push_back({c.row, INS_BOOM, 0.7f});
            hits.push_back({c.row, INS_DOWNER, 1.0f});
        }
    for (const TimeJump &j : s.jumps) {
        hits.push_back({j.row, INS_REVERSE_CRASH, 1.0f});
        hits.push_back({j.row, INS_CRASH, 0.9f});
    }
}

} // namespace

int parseNoteName(const std::string &text)
{
    static const int PITCH_CLASS[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    if (text.size() < 2 || text[0] < 'a' || text[0] > 'g') return -1;
    int pc = PITCH_CLASS[text[0] - 'a'];
    size_t i = 1;
    if (text[i] == '#' || (text[i] == 'b' && i + 1 < text.size())) {
        pc += text[i] == '#' ? 1 : -1;
        i++;
    }
    int octave;
    if (i >= text.size() || !toInt(text.substr(i), octave) || octave < 0 || octave > 8) return -1;
    return 12 * (octave + 1) + pc;
}

double rowSeconds(double row) { return row * ROW_MS / 1000.0; }

bool parseScore(const std::string &text, Score &score, std::string &error)
{
    score = Score();
    Parser parser{score, error};
    if (!parser.run(text)) return false;
    // Melodic tokens must resolve wherever they are played.
    for (const Play &p : score.plays) {
        if (p.pattern < 0) continue;
        const Pattern &pat = score.patterns[p.pattern];
        if (pat.drums) continue;
        for (int j = 0; j < (p.to - p.from) * pat.stepsPerRow; j++) {
            const std::string &t = pat.tokens[j % pat.steps];
            double row = p.from + (double)j / pat.stepsPerRow;
            if (t != "-" && t != "." && resolveToken(t, chordAt(score, row)) < 0) {
                parser.lineNo = p.line;
                char at[32];
                std::snprintf(at, sizeof at, "%g", row);
                return parser.fail("token '" + t + "' of '" + pat.name + "' has no note at row " + at);
            }
        }
    }
    if (endRow(score) < 0) {
        error = "the score has no end event";
        return false;
    }
    return true;
}

bool loadScore(const char *path, Score &score, std::string &error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::string(path) + ": cannot open";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    if (!parseScore(text.str(), score, error)) {
        error = std::string(path) + ": " + error;
        return false;
    }
    return true;
}

int endRow(const Score &score)
{
    for (const SyncEvent &e : score.events)
        if (e.code == CODE_END) return e.row;
    return -1;
}

bool compileSyncTable(const Score &score, std::vector<SyncRow> &rows, std::string &error)
{
    int last = endRow(score);
    if (last < 0) {
        error = "the score has no end event";
        return false;
    }
    rows.assign(last + 1, SyncRow());
    std::vector<bool> usedA(rows.size(), false), usedB(rows.size(), false);
    auto fail = [&](const SyncEvent &e, const std::string &why) {
        error = "line " + std::to_string(e.line) + ": row " + std::to_string(e.row) + ": " + why;
        return false;
    };
    auto beyondEnd = [&](int row) { return row > last; };

    // Events with a fixed column first, then the rest into whichever column is free (A before B).
    for (int pass = 0; pass < 3; pass++) {
        for (const SyncEvent &e : score.events) {
            bool camera = e.code >= CODE_CAMERA && e.code < CODE_CAMERA + MAX_CAMERA_SLOTS;
            bool wantsA = camera, wantsB = e.code == CODE_OUTRO;
            if ((pass == 0) != wantsA || (pass == 1) != wantsB) continue;
            if (beyondEnd(e.row)) return fail(e, "event after the end of the show");
            if (camera && e.code - CODE_CAMERA + e.value > MAX_CAMERA_SLOTS) return fail(e, "camera cue runs past slot 31");
            SyncRow &r = rows[e.row];
            bool toA = wantsA || (!wantsB && !usedA[e.row]);
            if (toA) {
                if (usedA[e.row]) return fail(e, "column A is taken (two camera cues in one row?)");
                r.eventA = e.code;
                r.valueA = e.value;
                r.amountA = e.amount;
                usedA[e.row] = true;
            } else {
                if (usedB[e.row]) return fail(e, "more than two events in one row");
                r.eventB = e.code;
                r.valueB = e.value;
                usedB[e.row] = true;
            }
        }
    }
    for (const SpeedChange &c : score.speeds) {
        if (beyondEnd(c.row)) { error = "speed change after the end of the show"; return false; }
        rows[c.row].divisor = c.divisor;
    }
    for (const TimeJump &j : score.jumps) {
        if (beyondEnd(j.row)) { error = "time jump after the end of the show"; return false; }
        rows[j.row].jumpMs += j.ms;
    }
    return true;
}

std::string formatSyncTable(const std::vector<SyncRow> &rows)
{
    // Integral values print without decimals; the rest with enough digits to survive atof.
    auto num = [](double v) {
        char buf[32];
        if (v == std::floor(v) && std::fabs(v) < 1e9) std::snprintf(buf, sizeof buf, "%d", (int)v);
        else std::snprintf(buf, sizeof buf, "%.6g", v);
        return std::string(buf);
    };
    std::string out = "divisor,jump_ms,event_a,value_a,amount_a,event_b,value_b\n";
    for (const SyncRow &r : rows) {
        out += num(r.divisor) + "," + num(r.jumpMs) + "," + num(r.eventA) + "," + num(r.valueA) + "," +
               num(r.amountA) + "," + num(r.eventB) + "," + num(r.valueB) + "\n";
    }
    return out;
}

double musicLengthSeconds(const Score &score) { return rowSeconds(endRow(score) + score.tailRows); }

void expandNotes(const Score &score, std::vector<Note> &notes)
{
    notes.clear();
    for (const Play &p : score.plays) expandPlay(score, p, notes);

    std::vector<Hit> hits = score.hits;
    addEventAccents(score, hits);
    // One accent of a kind per row: the loudest request wins.
    std::stable_sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) {
        return a.row != b.row ? a.row < b.row : a.instrument < b.instrument;
    });
    for (size_t i = 0; i < hits.size(); i++) {
        if (i + 1 < hits.size() && hits[i + 1].row == hits[i].row && hits[i + 1].instrument == hits[i].instrument) {
            hits[i + 1].velocity = std::max(hits[i + 1].velocity, hits[i].velocity);
            continue;
        }
        const Hit &h = hits[i];
        Note n;
        n.instrument = h.instrument;
        n.time = rowSeconds(h.row);
        n.length = rowSeconds(h.row + 1) - n.time;
        n.velocity = h.velocity;
        n.cutoff0 = n.cutoff1 = 0;
        // A bell hit rings the chord's root in the fifth octave (A5 where no harmony is in force); the other
        // accents are unpitched.
        n.pitch = h.instrument == INS_BELL ? 81.0f : 60.0f;
        if (h.instrument == INS_BELL) {
            const Chord *c = chordAt(score, h.row);
            if (c) n.pitch = (float)(c->bass + 48 > 84 ? c->bass + 36 : c->bass + 48);
        }
        notes.push_back(n);
    }
    std::stable_sort(notes.begin(), notes.end(), [](const Note &a, const Note &b) {
        return a.time != b.time ? a.time < b.time : a.instrument < b.instrument;
    });
}
