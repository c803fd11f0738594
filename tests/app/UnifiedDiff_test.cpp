#include <gtest/gtest.h>

#include "app/UnifiedDiff.h"

namespace {

using rendix::unifiedDiff;

struct DiffCase {
    const char* name;
    QByteArray before;
    QByteArray after;
    QByteArray hunks;  // what diff -u prints after its two header lines
};

const QByteArray kLetters = "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\nl\nm\nn\n";

// Each expectation is what GNU diff -u prints for the same two files.
const DiffCase kCases[] = {
    {"Equal", kLetters, kLetters, {}},
    {"SevenUnchangedLinesApartGiveTwoHunks", kLetters,
     QByteArray(kLetters).replace("b\n", "B\n").replace("j\n", "J\n"),
     "@@ -1,5 +1,5 @@\n a\n-b\n+B\n c\n d\n e\n"
     "@@ -7,7 +7,7 @@\n g\n h\n i\n-j\n+J\n k\n l\n m\n"},
    {"SixUnchangedLinesApartGiveOneHunk", kLetters,
     QByteArray(kLetters).replace("b\n", "B\n").replace("i\n", "I\n"),
     "@@ -1,12 +1,12 @@\n a\n-b\n+B\n c\n d\n e\n f\n g\n h\n-i\n+I\n j\n k\n l\n"},
    {"NewFileKeepsItsCarriageReturns", "", "x\r\ny\r\n", "@@ -0,0 +1,2 @@\n+x\r\n+y\r\n"},
    {"EverythingRemoved", "a\nb\n", "", "@@ -1,2 +0,0 @@\n-a\n-b\n"},
    {"NoNewlineAtTheEnd", "a\nb", "a\nc",
     "@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+c\n\\ No newline at end of file\n"},
    {"OnlyTheLastLineEndLost", "a\nb\n", "a\nb",
     "@@ -1,2 +1,2 @@\n a\n-b\n+b\n\\ No newline at end of file\n"},
};

class UnifiedDiffTest : public ::testing::TestWithParam<DiffCase> {};

TEST_P(UnifiedDiffTest, PrintsWhatDiffPrints) {
    const DiffCase& c = GetParam();
    const QByteArray header = "--- /srv/UnrealTournament.ini\n+++ /srv/UnrealTournament.ini\n";
    EXPECT_EQ(
        unifiedDiff(c.before, c.after, "/srv/UnrealTournament.ini", "/srv/UnrealTournament.ini"),
        c.hunks.isEmpty() ? QByteArray() : header + c.hunks);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnifiedDiffTest, ::testing::ValuesIn(kCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
