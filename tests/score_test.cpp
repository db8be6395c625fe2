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

// ---- sync compiler ---------------------------------------------------------------------------------------

TEST(SyncCompiler, RejectsRowsItCannotPlace)
{
    std::vector<SyncRow> rows;
    std::string error;
    EXPECT_FALSE(compiles(tinyScore("at 1 camera 0-3 8 ; camera 4-7 8\nat 5 end\n"), rows, error));
    EXPECT_NE(error.find("row 1"), std::string::npos) << error;
    EXPECT_FALSE(compiles(tinyScore("at 7 push\nat 5 end\n"), rows, error)) << "event after the end";
}
