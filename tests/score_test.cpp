// Tests of the score parser, the sync-table compiler and the generated sync table of the show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "score.h"

// The show's own sync reader (its header is not included: its event enum shares a name with the
// score's event record).
extern float syncTable[2048][8];
int readSyncTrack(FILE *file);

namespace {

struct EngineRow { float f[7]; };

std::vector<EngineRow> readLikeEngine(std::string text)
{
    FILE *file = fmemopen(&text[0], text.size(), "r");
    const int count = readSyncTrack(file);
    fclose(file);
    std::vector<EngineRow> rows(count);
    for (int r = 0; r < count; r++) std::copy(syncTable[r], syncTable[r] + 7, rows[r].f);
    return rows;
}

std::string readFile(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Minimal score around the given event lines.
std::string tinyScore(const std::string &events)
{
    return "chord Am a1 : a2 c3 e3\nprog p Am 4\nharmony 0 64 p\n" + events;
}

bool compiles(const std::string &text, std::vector<SyncRow> &rows, std::string &error)
{
    Score s;
    return parseScore(text, s, error) && compileSyncTable(s, rows, error);
}

int code(const EngineRow &r, int column) { return (int)r.f[column == 0 ? 2 : 5]; }
bool isCamera(int c) { return c >= CODE_CAMERA && c < CODE_CAMERA + 100; }

} // namespace

// ---- the generated table of the show ---------------------------------------------------------------------

class ShowSyncTable : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        text = readFile(LIGHTRIG_SYNC_PATH);
        rows = readLikeEngine(text);
        ASSERT_TRUE(loadScore(LIGHTRIG_SCORE_PATH, score, error)) << error;
    }
    static std::string text, error;
    static std::vector<EngineRow> rows;
    static Score score;

    std::vector<int> rowsWithCode(int c) const
    {
        std::vector<int> found;
        for (size_t r = 0; r < rows.size(); r++)
            if (code(rows[r], 0) == c || code(rows[r], 1) == c) found.push_back((int)r);
        return found;
    }
};
std::string ShowSyncTable::text, ShowSyncTable::error;
std::vector<EngineRow> ShowSyncTable::rows;
Score ShowSyncTable::score;

TEST_F(ShowSyncTable, FileIsCompleteAndMatchesTheScore)
{
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << "a last line without newline is not read";
    ASSERT_EQ((int)rows.size(), endRow(score) + 1) << "every row up to the end event is present";
    std::vector<SyncRow> compiled;
    ASSERT_TRUE(compileSyncTable(score, compiled, error)) << error;
    EXPECT_EQ(text, formatSyncTable(compiled)) << "the build's table is stale";
    // Every event of the score is at the row the score names.
    for (const SyncEvent &e : score.events) {
        const EngineRow &r = rows[e.row];
        bool inA = code(r, 0) == e.code, inB = code(r, 1) == e.code;
        EXPECT_TRUE(inA || inB) << "code " << e.code << " missing at row " << e.row;
        if (isCamera(e.code)) {
            EXPECT_TRUE(inA) << "camera cue at row " << e.row << " must be in column A to carry its length";
            EXPECT_EQ((int)r.f[3], e.value);
            EXPECT_FLOAT_EQ(r.f[4], (float)e.amount);
        }
    }
}

TEST_F(ShowSyncTable, ShowStructure)
{
    // Opening: the start-up cue, slots 0-3 over 153 rows.
    EXPECT_EQ(code(rows[0], 0), CODE_CAMERA);
    EXPECT_EQ((int)rows[0].f[3], 4);
    EXPECT_FLOAT_EQ(rows[0].f[4], 153.0f);

    // Two part changes (A to C, C to B), on phrase boundaries, after the opening.
    std::vector<int> next = rowsWithCode(CODE_NEXT);
    ASSERT_EQ(next.size(), 2u);
    EXPECT_GE(next[0], 153);
    for (int r : next) EXPECT_EQ(r % 16, 0) << "part change at row " << r;

    // The end is the last row; the fade comes a few rows before it, after the last part change.
    std::vector<int> end = rowsWithCode(CODE_END), fade = rowsWithCode(CODE_FADE);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0], (int)rows.size() - 1);
    ASSERT_EQ(fade.size(), 1u);
    EXPECT_GT(fade[0], next[1]);
    EXPECT_GE(end[0] - fade[0], 2);
    EXPECT_LE(end[0] - fade[0], 8);

    // Every key event is used; the grade change once.
    EXPECT_EQ(rowsWithCode(CODE_GRADE).size(), 1u);
    EXPECT_GE(rowsWithCode(CODE_VANISH).size(), 2u);
    EXPECT_GE(rowsWithCode(CODE_PUSH).size(), 1u);
    EXPECT_GE(rowsWithCode(CODE_SHAKE).size(), 1u);

    // Outro pictures: column B only, credits (0) before greetings (1), after the last part change.
    std::vector<int> outroRows;
    for (size_t r = 0; r < rows.size(); r++) {
        EXPECT_NE(code(rows[r], 0), CODE_OUTRO) << "code 10 in column A does nothing (row " << r << ")";
        if (code(rows[r], 1) == CODE_OUTRO) outroRows.push_back((int)r);
    }
    ASSERT_EQ(outroRows.size(), 2u);
    EXPECT_EQ((int)rows[outroRows[0]].f[6], 0);
    EXPECT_EQ((int)rows[outroRows[1]].f[6], 1);
    EXPECT_GT(outroRows[0], next[1]);
    EXPECT_LT(outroRows[1], fade[0]);
}

TEST_F(ShowSyncTable, CameraCuesUseTheGroupsOfEachPart)
{
    std::vector<int> next = rowsWithCode(CODE_NEXT);
    std::vector<int> outro = rowsWithCode(CODE_OUTRO);
    ASSERT_EQ(next.size(), 2u);
    ASSERT_FALSE(outro.empty());
    int cues = 0;
    for (size_t r = 0; r < rows.size(); r++) {
        EXPECT_FALSE(isCamera(code(rows[r], 1))) << "column B cues have no duration (row " << r << ")";
        int c = code(rows[r], 0);
        if (!isCamera(c)) continue;
        cues++;
        int first = c - CODE_CAMERA, count = (int)rows[r].f[3];
        EXPECT_GE(count, 1);
        EXPECT_LE(first + count, MAX_CAMERA_SLOTS) << "row " << r;
        EXPECT_GT(rows[r].f[4], 0.0f) << "row " << r;
        int group = first / 4;
        int at = (int)r;
        if (at < 153) EXPECT_EQ(group, 0);
        else if (at < next[0]) EXPECT_EQ(group, 1) << "part A, row " << r;
        else if (at < next[1]) EXPECT_TRUE(group == 2 || group == 3) << "part C, row " << r;
        else if (at < outro[0]) EXPECT_TRUE(group >= 4 && group <= 6) << "part B, row " << r;
        else EXPECT_EQ(group, 7) << "outro, row " << r;
    }
    EXPECT_EQ(cues, 8);
}

TEST_F(ShowSyncTable, DemoTimeRunsAtRealTimeSpeedThroughout)
{
    // Camera cues and key times run on real time while the parts run on demo time. A slowed passage loses a
    // different amount at every frame rate (the clock truncates each step), so no fixed jump can give it back:
    // the show's table changes neither the speed nor the offset of demo time.
    for (size_t r = 0; r < rows.size(); r++) {
        EXPECT_EQ(rows[r].f[0], 0.0f) << "row " << r;
        EXPECT_EQ(rows[r].f[1], 0.0f) << "row " << r;
    }
}

TEST_F(ShowSyncTable, EveryEventHasItsAccentInTheMusic)
{
    // The synthesiser plays from the same note list: each key event, part change, cue and the end must start
    // an accent sound exactly at its row.
    std::vector<Note> notes;
    expandNotes(score, notes);
    auto isAccent = [](int ins) {
        return ins == INS_CRASH || ins == INS_BOOM || ins == INS_ZAP || ins == INS_BELL || ins == INS_RUMBLE ||
               ins == INS_SHIMMER || ins == INS_WHOOSH;
    };
    for (const SyncEvent &e : score.events) {
        if (e.code == CODE_CAMERA_OFF) continue;
        double t = rowSeconds(e.row);
        bool found = false;
        for (const Note &n : notes)
            if (isAccent(n.instrument) && std::fabs(n.time - t) < 1e-9) found = true;
        EXPECT_TRUE(found) << "no accent for code " << e.code << " at row " << e.row;
    }
}

// ---- parser ----------------------------------------------------------------------------------------------

TEST(ScoreParser, ErrorsNameTheLine)
{
    Score s;
    std::string error;
    EXPECT_FALSE(parseScore(tinyScore("at 2 camera 30-33 8\nat 9 end\n"), s, error));
    EXPECT_NE(error.find("line 4"), std::string::npos) << error;
    EXPECT_FALSE(parseScore(tinyScore("at 2 wobble\nat 9 end\n"), s, error));
    EXPECT_NE(error.find("line 4"), std::string::npos) << error;
    EXPECT_FALSE(parseScore(tinyScore("drums d 4\n kick X...\n snare X..\nend\nat 9 end\n"), s, error));
    EXPECT_NE(error.find("line 6"), std::string::npos) << error;
    EXPECT_FALSE(parseScore(tinyScore("drums d 4\n kick X...\nat 9 end\n"), s, error)) << "unterminated block";
    EXPECT_FALSE(parseScore(tinyScore("at 3 fade\n"), s, error)) << "no end event";
    // A chord-relative token where no harmony is in force.
    EXPECT_FALSE(parseScore(tinyScore("line l 1\n r\nend\nplay 60 70 sub l\nat 9 end\n"), s, error));
    EXPECT_NE(error.find("row 64"), std::string::npos) << error;
}

TEST(ScoreParser, LinesResolveAgainstTheChordAndHold)
{
    Score s;
    std::string error;
    // Two chords of 2 rows; one token per row.
    ASSERT_TRUE(parseScore("chord A a1 : a2 c3 e3\nchord F f1 : f2 a2 c3\nprog p A 2 F 2\nharmony 0 8 p\n"
                           "line l 1\n r - 3' .\nend\nplay 0 4 lead l oct 1\nat 6 end\n",
                           s, error))
        << error;
    std::vector<Note> notes;
    expandNotes(s, notes);
    std::vector<Note> lead;
    for (const Note &n : notes)
        if (n.instrument == INS_LEAD) lead.push_back(n);
    ASSERT_EQ(lead.size(), 2u);
    EXPECT_EQ(lead[0].pitch, parseNoteName("a1") + 12);       // bass of A, one octave up
    EXPECT_NEAR(lead[0].length, rowSeconds(2), 1e-9) << "held over the next step";
    EXPECT_EQ(lead[1].pitch, parseNoteName("c3") + 12 + 12);  // third tone of F (in force from row 2), ' and oct
    EXPECT_NEAR(lead[1].time, rowSeconds(2), 1e-9);
    EXPECT_NEAR(lead[1].length, rowSeconds(1), 1e-9) << "a rest ends the note";
}

// ---- sync compiler ---------------------------------------------------------------------------------------

TEST(SyncCompiler, ColumnsFollowWhatEachColumnCanCarry)
{
    std::vector<SyncRow> rows;
    std::string error;
    ASSERT_TRUE(compiles(tinyScore("at 1 next ; camera 8-11 64\nat 2 outro 1 ; fade\nat 3 speed 2.5 ; jump 12.5\n"
                                   "at 4 vanish ; push\nat 5 end\n"),
                         rows, error))
        << error;
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[1].eventA, CODE_CAMERA + 8);
    EXPECT_EQ(rows[1].valueA, 4);
    EXPECT_EQ(rows[1].amountA, 64.0);
    EXPECT_EQ(rows[1].eventB, CODE_NEXT);
    EXPECT_EQ(rows[2].eventA, CODE_FADE);
    EXPECT_EQ(rows[2].eventB, CODE_OUTRO);
    EXPECT_EQ(rows[2].valueB, 1);
    EXPECT_EQ(rows[4].eventA, CODE_VANISH);
    EXPECT_EQ(rows[4].eventB, CODE_PUSH);
    EXPECT_EQ(rows[5].eventA, CODE_END);

    // Fractions survive the text round trip the show does with atof.
    std::vector<EngineRow> read = readLikeEngine(formatSyncTable(rows));
    ASSERT_EQ(read.size(), rows.size());
    EXPECT_FLOAT_EQ(read[3].f[0], 2.5f);
    EXPECT_FLOAT_EQ(read[3].f[1], 12.5f);
    EXPECT_FLOAT_EQ(read[1].f[4], 64.0f);
}

TEST(SyncCompiler, RejectsRowsItCannotPlace)
{
    std::vector<SyncRow> rows;
    std::string error;
    EXPECT_FALSE(compiles(tinyScore("at 1 camera 0-3 8 ; camera 4-7 8\nat 5 end\n"), rows, error));
    EXPECT_NE(error.find("row 1"), std::string::npos) << error;
    EXPECT_FALSE(compiles(tinyScore("at 7 push\nat 5 end\n"), rows, error)) << "event after the end";
}
