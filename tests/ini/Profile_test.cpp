#include "ini/Profile.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Seam.h"
#include "platform/Text.h"
#include "support/TestFiles.h"

namespace rendix::ini {
namespace {

using platform::Operation;
using platform::TestSeam;
using testing::TempDir;

using Value = std::optional<QByteArray>;
constexpr std::nullopt_t absent = std::nullopt;

struct ReadCase {
    const char* name;
    QByteArray content;
    QByteArray section;
    QByteArray key;
    Value expected;
};

TEST(ProfileTest, ReadsAsWindowsDoes) {
    const QByteArray longValue(300, 'v');
    const std::vector<ReadCase> cases = {
        {"plain", "[A]\r\nk=v\r\n", "A", "k", "v"},
        {"names ignore case", "[Main]\r\nUTDir=x\r\n", "mAIN", "utdir", "x"},
        {"caller's names are trimmed", "[Main]\r\nUTDir=x\r\n", " Main\t", " UTDir ", "x"},
        {"blanks in the file do not count", "  [ Main ]  \r\n\t UTDir  =  x y \t\r\n", "Main",
         "UTDir", "x y"},
        {"header without closing bracket", "[Main\r\nk=v", "Main", "k", "v"},
        {"text after the bracket", "[Main] old\r\nk=v", "Main", "k", "v"},
        {"empty value", "[Main]\r\nUTDir=\r\n", "Main", "UTDir", ""},
        {"missing key", "[Main]\r\nUTDir=x\r\n", "Main", "Other", absent},
        {"missing section", "[Main]\r\nUTDir=x\r\n", "Other", "UTDir", absent},
        {"empty file", "", "Main", "UTDir", absent},
        {"lines before the first header", "k=v\r\n[A]\r\n", "A", "k", absent},
        {"first of duplicate sections", "[A]\r\nk=1\r\n[B]\r\nk=2\r\n[a]\r\nk=3\r\nj=4\r\n", "A",
         "k", "1"},
        {"only the first section is searched", "[A]\r\nk=1\r\n[a]\r\nj=4\r\n", "A", "j", absent},
        {"first of duplicate keys", "[A]\r\nk=1\r\nK=2\r\n", "A", "k", "1"},
        {"comment is never a key", "[A]\r\n;k=1\r\n  ;k=2\r\nk=3\r\n", "A", "k", "3"},
        {"line without equals", "[A]\r\nk\r\n", "A", "k", absent},
        {"value holds equals", "[A]\r\nk=a=b\r\n", "A", "k", "a=b"},
        {"double quotes", "[A]\r\nk=\"x y\"\r\n", "A", "k", "x y"},
        {"single quotes", "[A]\r\nk='x'\r\n", "A", "k", "x"},
        {"blanks inside quotes stay", "[A]\r\nk=\"  x  \"\r\n", "A", "k", "  x  "},
        {"one pair of quotes only", "[A]\r\nk=\"\"x\"\"\r\n", "A", "k", "\"x\""},
        {"mismatched quotes stay", "[A]\r\nk=\"x'\r\n", "A", "k", "\"x'"},
        {"a lone quote stays", "[A]\r\nk=\"\r\n", "A", "k", "\""},
        {"brackets inside a key", "[A]\r\nMaps[0]=DM-Deck16][\r\n", "A", "maps[0]", "DM-Deck16]["},
        {"next header ends the section", "[A]\r\n[B]\r\nk=v\r\n", "A", "k", absent},
        {"indented header", "[A]\r\n \t[B]\r\nk=v\r\n", "B", "k", "v"},
        {"commented header is no header", "[A]\r\n;[B]\r\nk=v\r\n", "B", "k", absent},
        {"lf only", "[A]\nj=1\nk=v\n", "A", "k", "v"},
        {"cr only", "[A]\rj=1\rk=v\r", "A", "k", "v"},
        {"mixed ends", "[A]\nj=1\r\n[B]\rk=v\n", "B", "k", "v"},
        {"no final line end", "[A]\r\nk=v", "A", "k", "v"},
        {"utf-8 byte order mark", "\xEF\xBB\xBF[A]\r\nk=v\r\n", "A", "k", "v"},
        {"nul bytes are ordinary", QByteArray("[A]\r\nk=a\0b\r\n", 12), "A", "k",
         QByteArray("a\0b", 3)},
        {"cut to 254 characters", "[A]\r\nk=" + longValue + "\r\n", "A", "k", longValue.left(254)},
    };
    TempDir dir;
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(profileValue(QByteArrayView(c.content), c.section, c.key), c.expected);
        EXPECT_EQ(profileValue(platform::splitLines(c.content), c.section, c.key), c.expected);
        testing::writeBytes(dir.file("f.ini"), c.content);
        EXPECT_EQ(readProfileString(dir.file("F.INI"), c.section, c.key), c.expected);
    }
    EXPECT_EQ(readProfileString(dir.file("missing.ini"), "A", "k"), absent);
}

ProfileWrite set(const char* section, const char* key, const Value& value) {
    return {section, QByteArray(key), value};
}
ProfileWrite removeSection(const char* section) {
    return {section, std::nullopt, std::nullopt};
}

struct WriteCase {
    const char* name;
    Value before;  // absent: no file
    std::vector<ProfileWrite> writes;
    Value after;  // absent: no file
    bool ok = true;
};

TEST(ProfileTest, EditsInPlace) {
    const std::vector<WriteCase> cases = {
        {"one line changes",
         "[A]\r\nk=1\r\nj=2\r\n[B]\r\nk=1\r\n",
         {set("A", "k", "9")},
         "[A]\r\nk=9\r\nj=2\r\n[B]\r\nk=1\r\n"},
        {"key keeps its spelling",
         "[a]\r\n  Key = 1 \r\n",
         {set("A", "KEY", "2")},
         "[a]\r\nKey=2\r\n"},
        {"same value leaves the file",
         "[A]\r\nk = 1 \r\n",
         {set("a", "K", "1")},
         "[A]\r\nk = 1 \r\n"},
        {"same quoted text leaves the file",
         "[A]\r\nk=\"x\"\r\n",
         {set("A", "k", "\"x\"")},
         "[A]\r\nk=\"x\"\r\n"},
        {"unquoted value replaces quoted",
         "[A]\r\nk=\"x\"\r\n",
         {set("A", "k", "x")},
         "[A]\r\nk=x\r\n"},
        {"empty value", "[A]\r\nk=1\r\n", {set("A", "k", "")}, "[A]\r\nk=\r\n"},
        {"new key before the blank lines",
         "[A]\r\nk=1\r\n\r\n  \r\n[B]\r\nb=1\r\n",
         {set("A", "n", "2")},
         "[A]\r\nk=1\r\nn=2\r\n\r\n  \r\n[B]\r\nb=1\r\n"},
        {"new key after a comment",
         "[A]\r\nk=1\r\n;c\r\n\r\n[B]",
         {set("A", "n", "2")},
         "[A]\r\nk=1\r\n;c\r\nn=2\r\n\r\n[B]"},
        {"new key under a bare header", "[A]", {set("A", " n ", "2")}, "[A]\r\nn=2\r\n"},
        {"new key after an unterminated line",
         "[A]\r\nk=1",
         {set("A", "n", "2")},
         "[A]\r\nk=1\r\nn=2\r\n"},
        {"new section after a blank line",
         "[A]\r\nk=1\r\n",
         {set(" B ", "n", "2")},
         "[A]\r\nk=1\r\n\r\n[B]\r\nn=2\r\n"},
        {"new section, blank line there",
         "[A]\r\nk=1\r\n\r\n",
         {set("B", "n", "2")},
         "[A]\r\nk=1\r\n\r\n[B]\r\nn=2\r\n"},
        {"new section, no final line end",
         "[A]\r\nk=1",
         {set("B", "n", "2")},
         "[A]\r\nk=1\r\n\r\n[B]\r\nn=2\r\n"},
        {"new file", absent, {set("B", "n", "2")}, "[B]\r\nn=2\r\n"},
        {"empty file", "", {set("B", "n", "2")}, "[B]\r\nn=2\r\n"},
        {"removal from a missing file creates nothing", absent, {set("B", "n", absent)}, absent},
        {"lf file keeps lf",
         "[A]\nk=1\n",
         {set("A", "n", "2"), set("B", "m", "3")},
         "[A]\nk=1\nn=2\n\n[B]\nm=3\n"},
        {"cr file", "[A]\rk=1\r", {set("A", "k", "2"), set("A", "n", "3")}, "[A]\rk=2\rn=3\r\n"},
        {"mixed ends stay", "[A]\r\nk=1\nj=2\r", {set("A", "j", "3")}, "[A]\r\nk=1\nj=3\r"},
        {"byte order mark stays",
         "\xEF\xBB\xBF[A]\r\nk=1\r\n",
         {set("A", "k", "2")},
         "\xEF\xBB\xBF[A]\r\nk=2\r\n"},
        {"byte order mark alone",
         "\xEF\xBB\xBF",
         {set("B", "n", "2")},
         "\xEF\xBB\xBF[B]\r\nn=2\r\n"},
        {"first of duplicate sections",
         "[A]\r\nk=1\r\n[a]\r\nk=2\r\n",
         {set("A", "k", "9")},
         "[A]\r\nk=9\r\n[a]\r\nk=2\r\n"},
        {"first of duplicate keys",
         "[A]\r\nk=1\r\nk=2\r\n",
         {set("A", "k", "9")},
         "[A]\r\nk=9\r\nk=2\r\n"},
        {"indented header", "  [ A ]  \r\nk=1\r\n", {set("A", "k", "2")}, "  [ A ]  \r\nk=2\r\n"},
        {"lines before the first header stay",
         "k=1\r\n[A]\r\n",
         {set("A", "k", "2")},
         "k=1\r\n[A]\r\nk=2\r\n"},
        {"remove a key", "[A]\r\nk=1\r\nj=2\r\n", {set("A", "K", absent)}, "[A]\r\nj=2\r\n"},
        {"remove an unterminated last key",
         "[A]\r\nk=1\r\nj=2",
         {set("A", "j", absent)},
         "[A]\r\nk=1\r\n"},
        {"remove a missing key", "[A]\r\nk=1\r\n", {set("A", "x", absent)}, "[A]\r\nk=1\r\n"},
        {"remove a key of a missing section",
         "[A]\r\nk=1\r\n",
         {set("B", "k", absent)},
         "[A]\r\nk=1\r\n"},
        {"remove a section, comments stay",
         "[A]\r\na=1\r\n\r\n[B]\r\n;note\r\nb=1\r\n  ; x=y\r\n\r\n[C]\r\nc=1\r\n",
         {removeSection("b")},
         "[A]\r\na=1\r\n\r\n;note\r\n  ; x=y\r\n[C]\r\nc=1\r\n"},
        {"remove the first of duplicate sections",
         "[a]\r\nx=1\r\n[A]\r\ny=2\r\n",
         {removeSection("A")},
         "[A]\r\ny=2\r\n"},
        {"remove the last section",
         "[A]\r\na=1\r\n\r\n[B]\r\nb=1",
         {removeSection("B")},
         "[A]\r\na=1\r\n\r\n"},
        {"remove a missing section", "[A]\r\na=1\r\n", {removeSection("B")}, "[A]\r\na=1\r\n"},
        {"a batch is one rewrite",
         "[A]\r\nk=1\r\n",
         {set("A", "k", "2"), set("A", "k", "3"), set("A", "j", "4")},
         "[A]\r\nk=3\r\nj=4\r\n"},
        {"cr in a value refuses the batch",
         "[A]\r\nk=1\r\n",
         {set("A", "k", "2"), set("A", "j", "x\ry")},
         "[A]\r\nk=1\r\n",
         false},
        {"lf in a key", "[A]\r\nk=1\r\n", {set("A", "k\nj", "2")}, "[A]\r\nk=1\r\n", false},
        {"cr lf in a section",
         "[A]\r\nk=1\r\n",
         {set("A\r\n[B]", "k", "2")},
         "[A]\r\nk=1\r\n",
         false},
        {"lf in a removed section name",
         "[A]\r\nk=1\r\n",
         {removeSection("A\n")},
         "[A]\r\nk=1\r\n",
         false},
        {"] in a section name", "[A]\r\nk=1\r\n", {set("A]", "k", "2")}, "[A]\r\nk=1\r\n", false},
        {"= in a key name", "[A]\r\nk=1\r\n", {set("A", "k=j", "2")}, "[A]\r\nk=1\r\n", false},
        {"key name like a header",
         "[A]\r\nk=1\r\n",
         {set("A", " [B]", "")},
         "[A]\r\nk=1\r\n",
         false},
        {"key name like a comment",
         "[A]\r\nk=1\r\n",
         {set("A", ";k", "2")},
         "[A]\r\nk=1\r\n",
         false},
        {"utf-16 file is never changed",
         "\xFF\xFE[\0A\0]\0",
         {set("A", "k", "2")},
         "\xFF\xFE[\0A\0]\0",
         false},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QByteArray path = dir.file("Rendix.ini");
        if (c.before) {
            testing::writeBytes(path, *c.before);
        }
        TestSeam seam;
        EXPECT_EQ(writeProfileStrings(path, c.writes).ok, c.ok);
        EXPECT_EQ(testing::exists(path), c.after.has_value());
        EXPECT_EQ(testing::readBytes(path), c.after.value_or(QByteArray()));
        if (c.before == c.after) {
            EXPECT_EQ(seam.count(Operation::Rename), 0);
        }
        EXPECT_EQ(testing::folderNames(dir.path()),
                  c.after ? std::vector<QByteArray>{"Rendix.ini"} : std::vector<QByteArray>{});

        // The in-memory editor follows the same rules.
        if (c.before && c.ok) {
            ProfileEditor editor(platform::splitLines(*c.before));
            for (const ProfileWrite& write : c.writes) {
                EXPECT_TRUE(editor.apply(write).ok);
            }
            EXPECT_EQ(editor.changed(), c.before != c.after);
            EXPECT_EQ(platform::joinLines(editor.file()), *c.after);
        }
    }
}

TEST(ProfileTest, RefusesWhatItCannotWrite) {
    TempDir dir;
    const QByteArray folder = dir.file("Folder.ini");
    testing::makeFolder(folder);
    EXPECT_FALSE(writeProfileStrings(dir.file("none/Rendix.ini"), {set("A", "k", "1")}).ok);
    EXPECT_FALSE(testing::exists(dir.file("none")));
    EXPECT_FALSE(writeProfileStrings(folder, {set("A", "k", "1")}).ok);

    // A file that exists but cannot be read is not taken for a missing one and replaced.
    const QByteArray path = dir.file("Rendix.ini");
    testing::writeBytes(path, "[A]\r\nk=1\r\n");
    TestSeam seam;
    seam.failNth(Operation::Read, 1);
    EXPECT_FALSE(writeProfileStrings(path, {set("A", "k", "2")}).ok);
    EXPECT_EQ(testing::readBytes(path), "[A]\r\nk=1\r\n");
    EXPECT_EQ(seam.count(Operation::Rename), 0);

    // The resolver's choice of letter case: the existing file is written, no second one made.
    EXPECT_TRUE(writeProfileStrings(dir.file("RENDIX.INI"), {set("A", "k", "3")}).ok);
    EXPECT_EQ(testing::readBytes(path), "[A]\r\nk=3\r\n");
    EXPECT_EQ(testing::folderNames(dir.path()),
              (std::vector<QByteArray>{"Folder.ini", "Rendix.ini"}));
}

TEST(ProfileTest, SurvivesBadInput) {
    TempDir dir;
    const QByteArray path = dir.file("UnrealTournament.ini");

    // Binary junk around the section: every byte value, line breaks and "[" included.
    QByteArray junk;
    for (int i = 0; i < 512; ++i) {
        junk += static_cast<char>(i % 256);
    }
    const QByteArray binary = junk + "\r\n[A]\r\nk=1\r\n" + junk;
    testing::writeBytes(path, binary);
    EXPECT_EQ(readProfileString(path, "A", "k"), "1");
    ASSERT_TRUE(writeProfileStrings(path, {set("A", "k", "2")}).ok);
    EXPECT_EQ(testing::readBytes(path), junk + "\r\n[A]\r\nk=2\r\n" + junk);

    testing::writeBytes(path, junk);
    ASSERT_TRUE(writeProfileStrings(path, {set("New", "k", "1")}).ok);
    // The junk's first line ends with a lone LF, and its last line is not blank.
    EXPECT_EQ(testing::readBytes(path), junk + "\n\n[New]\nk=1\n");

    // 100,000 lines: one line changes.
    QByteArray big = "[Big]\r\n";
    for (int i = 0; i < 100000; ++i) {
        big += "Key" + QByteArray::number(i) + "=Value" + QByteArray::number(i) + "\r\n";
    }
    testing::writeBytes(path, big);
    EXPECT_EQ(readProfileString(path, "big", "key99999"), "Value99999");
    ASSERT_TRUE(writeProfileStrings(path, {set("Big", "Key50000", "x")}).ok);
    QByteArray expected = big;
    expected.replace("\r\nKey50000=Value50000\r\n", "\r\nKey50000=x\r\n");
    EXPECT_TRUE(testing::readBytes(path) == expected);

    // A line of 1 MB.
    const QByteArray huge = "[A]\r\nk=" + QByteArray(1 << 20, 'x') + "\r\nj=1\r\n";
    testing::writeBytes(path, huge);
    EXPECT_EQ(readProfileString(path, "A", "k"), QByteArray(254, 'x'));
    ASSERT_TRUE(writeProfileStrings(path, {set("A", "j", "2")}).ok);
    EXPECT_TRUE(testing::readBytes(path) == "[A]\r\nk=" + QByteArray(1 << 20, 'x') + "\r\nj=2\r\n");

    // Names and values that are not valid UTF-8 go through byte for byte.
    const QByteArray odd = dir.file("\xFF\xFE.ini");
    ASSERT_TRUE(
        writeProfileStrings(odd, {{"\xC3(", QByteArray("\x80k"), QByteArray("\xE9t\xE9")}}).ok);
    EXPECT_EQ(testing::readBytes(odd), "[\xC3(]\r\n\x80k=\xE9t\xE9\r\n");
    EXPECT_EQ(readProfileString(odd, "\xC3(", "\x80K"), "\xE9t\xE9");
    // QTemporaryDir cannot see a name that is not valid UTF-8, so it goes here.
    EXPECT_TRUE(platform::removeFile(odd).ok);
}

}  // namespace
}  // namespace rendix::ini
