// Show score: parses the text score into harmony, patterns, arrangement and sync events, compiles the
// sync table and expands everything into one flat list of timed notes for the synthesiser.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One sync row lasts exactly this long, in ms: the show passes rows at 16.66666603088379 / 0.04690444469451904.
// One row is one beat (168.856 BPM); a bar is four rows.
constexpr double ROW_MS = 16.66666603088379 / 0.04690444469451904;
constexpr int SAMPLE_RATE = 44100;
constexpr int MAX_SYNC_ROWS = 2047;  // the show reads at most this many data rows
constexpr int MAX_CAMERA_SLOTS = 32; // camera path slots 0..31

// Sync event codes understood by the show.
enum SyncCode {
    CODE_GRADE = 1,     // key '8'
    CODE_VANISH = 4,    // key 'I'
    CODE_PUSH = 5,      // key '5'
    CODE_SHAKE = 6,     // key '4'
    CODE_FADE = 7,      // key 'O'
    CODE_OUTRO = 10,    // column B only
    CODE_NEXT = 14,
    CODE_CAMERA = 100,  // + first slot
    CODE_CAMERA_OFF = 200,
    CODE_END = 255,
};

// One row of the sync table, fields 0..6.
struct SyncRow {
    double divisor = 0;  // 0 = keep
    double jumpMs = 0;
    int eventA = 0, valueA = 0;
    double amountA = 0;  // camera cue length in rows
    int eventB = 0, valueB = 0;
};

// Instruments the synthesiser knows. Drum voices and one-shot accents are instruments too.
enum Instrument {
    INS_KICK, INS_SNARE, INS_HAT, INS_OPEN_HAT, INS_RIDE, INS_TOM_HIGH, INS_TOM_LOW, INS_CRASH,
    INS_SUB, INS_REESE, INS_PAD, INS_PLUCK, INS_LEAD, INS_BELL,
    INS_RISER, INS_DOWNER, INS_BOOM, INS_REVERSE_CRASH, INS_ZAP, INS_RUMBLE, INS_SHIMMER, INS_WHOOSH,
    INS_COUNT
};

struct Note {
    int instrument;
    double time;      // s from the first row
    double length;    // s the note is held (before its release)
    float pitch;      // MIDI note number (69 = A4 = 440 Hz); unused by most drums
    float velocity;   // 0..1
    float cutoff0;    // Hz low-pass at note start (0 = instrument default)
    float cutoff1;    // Hz low-pass at note end
};

struct Chord {
    std::string name;
    int bass = 0;                // MIDI
    std::vector<int> tones;      // MIDI, ascending as written
};

struct ProgStep { int chord; int rows; };
struct Prog { std::string name; std::vector<ProgStep> steps; int rows = 0; };
struct HarmonySpan { int from, to, prog; };

// A pattern: drum voices (one velocity per step) or a melodic line (one token per step).
struct Pattern {
    std::string name;
    bool drums = false;
    int stepsPerRow = 4;
    int steps = 0;
    std::vector<int> drumVoices;                 // instrument per voice line
    std::vector<std::vector<float>> drumVel;     // [voice][step], 0 = rest
    std::vector<std::string> tokens;             // melodic: note, '-' hold, '.' rest
    int line = 0;                                // score line of the header, for messages
};

struct Play {
    int from, to;            // rows, half-open
    int instrument;          // INS_* or -1 for the drum kit
    int pattern;             // index into patterns, -1 = none (pads, risers)
    float vol0 = 1, vol1 = 1;
    float lp0 = 0, lp1 = 0;  // Hz, 0 = default
    int transpose = 0;       // semitones
    int line = 0;
};

struct Hit { int row; int instrument; float velocity; };

struct SyncEvent {
    int row;
    int code;        // SyncCode; CODE_CAMERA + first slot for cues
    int value = 0;   // slot count, outro index
    double amount = 0;  // cue rows
    int line = 0;
};

struct SpeedChange { int row; double divisor; };
struct TimeJump { int row; double ms; };

struct Score {
    std::vector<Chord> chords;
    std::vector<Prog> progs;
    std::vector<HarmonySpan> harmony;
    std::vector<Pattern> patterns;
    std::vector<Play> plays;
    std::vector<Hit> hits;
    std::vector<SyncEvent> events;
    std::vector<SpeedChange> speeds;
    std::vector<TimeJump> jumps;
    int tailRows = 4;   // music after the end event, rows
};

// Parses score text. On failure returns false and sets error to "line N: message".
bool parseScore(const std::string &text, Score &score, std::string &error);
bool loadScore(const char *path, Score &score, std::string &error);

// Row of the end event (code 255), or -1 if the score has none.
int endRow(const Score &score);

// Places events into columns A and B of rows 0..endRow. Camera cues go to column A (only column A carries a
// duration), outro pictures to column B. Fails on a missing end event, a crowded row or a bad cue.
bool compileSyncTable(const Score &score, std::vector<SyncRow> &rows, std::string &error);

// Sync table text: header line, then one "f0,...,f6\n" line per row.
std::string formatSyncTable(const std::vector<SyncRow> &rows);

// Seconds of music: up to the end event plus the tail.
double musicLengthSeconds(const Score &score);
double rowSeconds(double row);

// Every note of the piece, arrangement and sync accents, sorted by time.
void expandNotes(const Score &score, std::vector<Note> &notes);

// Parses a note name such as "a4", "c#5", "bb2"; returns -1 when the text is not a note.
int parseNoteName(const std::string &text);
