#include "platform/Text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace rendix::platform {
namespace {

using Lines = std::vector<std::pair<QByteArray, LineEnd>>;

Lines linesOf(const TextFile& file) {
    Lines lines;
    for (const Line& line : file.lines) {
        lines.emplace_back(line.text, line.end);
    }
    return lines;
}

struct SplitCase {
    const char* name;
    QByteArray bytes;
    QByteArray bom;
    Lines lines;
};

TEST(TextTest, SplitsLinesAndJoinsThemBack) {
    constexpr auto CrLf = LineEnd::CrLf;
    constexpr auto Cr = LineEnd::Cr;
    constexpr auto Lf = LineEnd::Lf;
    constexpr auto None = LineEnd::None;
    const std::vector<SplitCase> cases = {
        {"empty", "", "", {}},
        {"crlf", "a\r\nb\r\n", "", {{"a", CrLf}, {"b", CrLf}}},
        {"no final terminator", "a\r\nb", "", {{"a", CrLf}, {"b", None}}},
        {"lone cr and lone lf", "a\rb\nc", "", {{"a", Cr}, {"b", Lf}, {"c", None}}},
        {"lf cr is two ends", "a\n\rb", "", {{"a", Lf}, {"", Cr}, {"b", None}}},
        {"empty lines", "\r\n\r\n", "", {{"", CrLf}, {"", CrLf}}},
        {"cr at the very end", "a\r", "", {{"a", Cr}}},
        {"bom", "\xEF\xBB\xBF[A]\r\n", "\xEF\xBB\xBF", {{"[A]", CrLf}}},
        {"bom only", "\xEF\xBB\xBF", "\xEF\xBB\xBF", {}},
        {"bom not at start", "x\xEF\xBB\xBF", "", {{"x\xEF\xBB\xBF", None}}},
        {"nul bytes are ordinary",
         QByteArray("a\0b\r\n\0", 6),
         "",
         {{QByteArray("a\0b", 3), CrLf}, {QByteArray("\0", 1), None}}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TextFile file = splitLines(c.bytes);
        EXPECT_EQ(file.bom, c.bom);
        EXPECT_EQ(linesOf(file), c.lines);
        EXPECT_EQ(joinLines(file), c.bytes);
    }
}

TEST(TextTest, JoinIsTheExactInverseOfSplitForAnyBytes) {
    // Bytes drawn mostly from the ones that matter to line splitting.
    const char alphabet[] = {'\r', '\n', 'a', '\0', '\xEF', '\xBB', '\xBF', '\xFF'};
    std::mt19937 random(12345);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        const int size = static_cast<int>(random() % 24);
        for (int i = 0; i < size; ++i) {
            bytes += alphabet[random() % sizeof alphabet];
        }
        ASSERT_EQ(joinLines(splitLines(bytes)), bytes) << bytes.toHex().constData();
    }
}

TEST(TextTest, ClassifiesText) {
    EXPECT_EQ(fileLineEnd(splitLines("a\nb\r\n")), LineEnd::Lf);
    EXPECT_EQ(fileLineEnd(splitLines("a\r\nb\n")), LineEnd::CrLf);
    EXPECT_EQ(fileLineEnd(splitLines("a\rb\n")), LineEnd::CrLf);
    EXPECT_EQ(fileLineEnd(splitLines("")), LineEnd::CrLf);
    EXPECT_EQ(fileLineEnd(splitLines("\xEF\xBB\xBF"
                                     "a\n")),
              LineEnd::Lf);

    EXPECT_TRUE(hasUtf16Bom("\xFF\xFE[\0"));
    EXPECT_TRUE(hasUtf16Bom("\xFE\xFF\0["));
    EXPECT_FALSE(hasUtf16Bom("\xEF\xBB\xBF"));
    EXPECT_FALSE(hasUtf16Bom("\xFF"));

    EXPECT_TRUE(holdsLineBreak("a\rb"));
    EXPECT_TRUE(holdsLineBreak("\n"));
    EXPECT_FALSE(holdsLineBreak(QByteArray("a\0\tb", 4)));

    EXPECT_TRUE(holdsControlCharacter(QByteArray("a\0", 2)));
    EXPECT_TRUE(holdsControlCharacter("\t"));
    EXPECT_TRUE(holdsControlCharacter("\x7F"));
    EXPECT_FALSE(holdsControlCharacter("DM-Deck16][.unr \xC3\xA9"));

    EXPECT_EQ(lineEndBytes(LineEnd::CrLf), QByteArrayView("\r\n"));
    EXPECT_EQ(lineEndBytes(LineEnd::None), QByteArrayView(""));
}

}  // namespace
}  // namespace rendix::platform
