#include "platform/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
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

TEST(TextTest, FindsByteOrderMarksLineBreaksAndControlCharactersAndChangesLetterCase) {
    for (const QList<QByteArray>& row : testing::dataTable("text.rows")) {
        SCOPED_TRACE(row.join('|').constData());
        const QByteArray a = row[1];
        const QByteArray b = row.size() > 3 ? row[2] : "";
        const std::map<QByteArray, QByteArray> results = {
            {"isUtf16Text", QByteArray::number(isUtf16Text(a))},
            {"holdsLineBreak", QByteArray::number(holdsLineBreak(a))},
            {"holdsControlCharacter", QByteArray::number(holdsControlCharacter(a))},
            {"foldCase", foldCase(a)},
            {"upperCase", upperCase(a)},
            {"swapCase", swapCase(a)},
            {"equalsFolded", QByteArray::number(equalsFolded(a, b))}};
        EXPECT_EQ(results.at(row[0]), row.back());
    }
}

}  // namespace
}  // namespace rendix::platform
