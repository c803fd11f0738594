#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "DataTable.h"

namespace rendix::platform {
namespace {

const char* const kEnds[] = {"", "CRLF", "CR", "LF"};  // by LineEnd

TEST(TextTest, SplitsLinesAndJoinsThemBack) {
    for (const QList<QByteArray>& row : testing::dataTable("split.rows")) {
        SCOPED_TRACE(row[0].constData());
        const QByteArray bytes = RENDIX_DATA("split-" + row[0] + ".txt");
        const TextFile file = splitLines(bytes);
        QByteArray shown = file.bom.isEmpty() ? "" : "BOM";
        for (const Line& line : file.lines) {
            shown += '[' + line.text + ']' + kEnds[static_cast<int>(line.end)];
        }
        EXPECT_EQ(shown, row[1]);
        EXPECT_EQ(joinLines(file), bytes);
    }
}

TEST(TextTest, AnyBytesSplitAtEveryBreakAndJoinBack) {
    // Bytes drawn mostly from the ones that matter to line ends and byte order marks.
    const char alphabet[] = {'\r', '\n', 'a', '\0', '\xEF', '\xBB', '\xBF', '\x8D', '\x8A'};
    const char breaks[] = {'\r', '\n'};
    std::mt19937 random(12345);
    for (int round = 0; round < 2000; ++round) {
        QByteArray text;
        for (auto size = random() % 40; size > 0; --size) {
            text += alphabet[random() % sizeof alphabet];
        }
        SCOPED_TRACE(text.toHex().constData());
        const TextFile file = splitLines(text);
        ASSERT_EQ(joinLines(file), text);
        for (const Line& line : file.lines) {
            ASSERT_FALSE(holdsLineBreak(line.text));
        }
        const auto from = static_cast<qsizetype>(random() % (text.size() + 1));
        ASSERT_EQ(findLineBreak(text, from),
                  std::find_first_of(text.cbegin() + from, text.cend(), breaks, breaks + 2) -
                      text.cbegin());
    }
}

TEST(TextTest, FindsByteOrderMarksLineBreaksAndControlCharacters) {
    EXPECT_TRUE(isUtf16Text("\xFF\xFE["));
    EXPECT_TRUE(isUtf16Text("\xFE\xFF"));
    EXPECT_FALSE(isUtf16Text("\xEF\xBB\xBF"));
    EXPECT_TRUE(isUtf16Text(QByteArrayView("[\0M\0a\0i\0n\0]\0\r\0\n\0", 16)));
    EXPECT_TRUE(isUtf16Text(QByteArrayView("\0[\0M\0]", 6)));
    EXPECT_FALSE(isUtf16Text(QByteArrayView("[Main]\r\nA=\0\r\n", 13)));
    EXPECT_FALSE(isUtf16Text(""));
    EXPECT_TRUE(holdsLineBreak("a\rb"));
    EXPECT_TRUE(holdsLineBreak("\n"));
    EXPECT_FALSE(holdsLineBreak(QByteArray("a\0\tb", 4)));
    EXPECT_TRUE(holdsControlCharacter(QByteArray("a\0", 2)));
    EXPECT_TRUE(holdsControlCharacter("\x1F"));
    EXPECT_TRUE(holdsControlCharacter("\x7F"));
    EXPECT_FALSE(holdsControlCharacter("DM-Deck16][.unr \xC3\xA9"));
}

// Letter case changes the ASCII letters only: "[", "`", "@", "{" and the bytes of UTF-8
// letters stay as they are.
TEST(TextTest, ChangesTheCaseOfAsciiLettersOnly) {
    const QByteArray mixed("Az@[`{\xC3\xA9\xC3\x89\xFF");
    EXPECT_EQ(foldCase(mixed), QByteArray("az@[`{\xC3\xA9\xC3\x89\xFF"));
    EXPECT_EQ(upperCase(mixed), QByteArray("AZ@[`{\xC3\xA9\xC3\x89\xFF"));
    EXPECT_EQ(swapCase(mixed), QByteArray("aZ@[`{\xC3\xA9\xC3\x89\xFF"));
    EXPECT_TRUE(equalsFolded("DM-Deck16][.UNR", "dm-deck16][.unr"));
    EXPECT_FALSE(equalsFolded("\xC3\xA9", "\xC3\x89"));
    EXPECT_FALSE(equalsFolded("[", "{"));
    EXPECT_FALSE(equalsFolded("a", "ab"));
}

}  // namespace
}  // namespace rendix::platform
