#include "ini/Profile.h"

#include <gtest/gtest.h>

#include "platform/DataTable.h"
#include "platform/Seam.h"

namespace rendix::ini {
namespace {

using namespace testing;
using platform::Operation;
using Value = std::optional<QByteArray>;

// data/read.rows: section|key|value as read from data/read.ini (a byte order mark, LF-only,
// CR-only and mixed sections, no final line end); no value where nothing is found.
TEST(ProfileTest, ReadsAsWindowsDoes) {
    TempDir dir;
    writeBytes(dir.file("read.ini"), RENDIX_DATA("read.ini"));
    for (const QList<QByteArray>& row : dataTable("read.rows")) {
        SCOPED_TRACE(row.join('|').constData());
        const Value expected = row.size() > 2 ? Value(row[2]) : std::nullopt;
        EXPECT_EQ(readProfileString(dir.file("READ.INI"), row[0], row[1]), expected);
    }
    EXPECT_EQ(readProfileString(dir.file("missing.ini"), "Main", "UTDir"), std::nullopt);
}

// data/write.rows: in|out|section|key|value. The write turns data/<in>.in.ini into
// data/<out>.out.ini, or leaves it alone without a rewrite (out "="), or is refused (out "!").
// Without a value the key goes, without key and value the section.
TEST(ProfileTest, EditsInPlace) {
    for (const QList<QByteArray>& row : dataTable("write.rows")) {
        SCOPED_TRACE(row.join('|').constData());
        TempDir dir;
        const QByteArray before = RENDIX_DATA(row[0] + ".in.ini");
        writeBytes(dir.file("Rendix.ini"), before);
        const ProfileWrite write{row[2], row.size() > 3 ? Value(row[3]) : std::nullopt,
                                 row.size() > 4 ? Value(row[4]) : std::nullopt};
        platform::TestSeam seam;
        EXPECT_EQ(writeProfileStrings(dir.file("Rendix.ini"), {write}).ok, row[1] != "!");
        const bool changes = row[1] != "=" && row[1] != "!";
        EXPECT_EQ(readBytes(dir.file("Rendix.ini")),
                  changes ? RENDIX_DATA(row[1] + ".out.ini") : before);
        EXPECT_EQ(seam.count(Operation::Rename), changes ? 1 : 0);
        EXPECT_EQ(folderNames(dir.path()), std::vector<QByteArray>{"Rendix.ini"});
    }
}

// No folder: no file, and the failure says so. The first read fails and is reported as such
// (the file is not taken for a missing one), a batch with a bad write is refused whole, and
// the file of another letter case is the one written.
TEST(ProfileTest, WritesTheFileThatIsThereOrNothing) {
    TempDir dir;
    writeBytes(dir.file("Rendix.ini"), "[A]\r\nk=1\r\n");
    platform::TestSeam seam;
    seam.failNth(Operation::Read, 1);
    EXPECT_EQ(writeProfileStrings(dir.file("no/Rendix.ini"), {{"A", "k", "2"}}).problem,
              Problem::Missing);
    EXPECT_EQ(writeProfileStrings(dir.file("Rendix.ini"), {{"A", "k", "2"}}).problem,
              Problem::Unreadable);
    EXPECT_FALSE(writeProfileStrings(dir.file("Rendix.ini"), {{"A", "k", "2"}, {"A", "\n", "3"}}));
    EXPECT_TRUE(writeProfileStrings(dir.file("RENDIX.INI"), {{"A", "k", "2"}, {"A", "j", "3"}}));
    EXPECT_EQ(readBytes(dir.file("Rendix.ini")), "[A]\r\nk=2\r\nj=3\r\n");
    EXPECT_EQ(folderNames(dir.path()), std::vector<QByteArray>{"Rendix.ini"});
    EXPECT_EQ(seam.count(Operation::Rename), 1);
}

// Made in code: binary junk with NUL bytes, 100,000 lines, a line of 1 MB, names that are not
// valid UTF-8 (the file's too). The old value stands for "%v"; it is read, then replaced.
TEST(ProfileTest, SurvivesBadInput) {
    QByteArray junk;
    for (int i = 0; i < 512; ++i) {
        junk += static_cast<char>(i % 256);
    }
    const QByteArray cases[][4] = {
        {junk + "\r\n[A]\r\nk=%v\r\n" + junk, "A", "k", "1"},
        {"[A]\r\n" + QByteArray("k=1\r\n").repeated(100000) + "last=%v", "a", "LAST", "1"},
        {"[A]\r\nk=%v\r\nj=1\r\n", "A", "k", QByteArray(1 << 20, 'x')},
        {"[\xC3(]\r\n\x80k=%v\r\n", "\xC3(", "\x80K", "\xE9t"},
    };
    TempDir dir;
    for (const auto& [text, section, key, value] : cases) {
        writeBytes(dir.file("\xFF\xFE.ini"), QByteArray(text).replace("%v", value));
        EXPECT_EQ(readProfileString(dir.file("\xFF\xFE.ini"), section, key),
                  value.left(kMaxValueLength));
        EXPECT_TRUE(writeProfileStrings(dir.file("\xFF\xFE.ini"), {{section, key, "2"}}));
        EXPECT_TRUE(readBytes(dir.file("\xFF\xFE.ini")) == QByteArray(text).replace("%v", "2"));
    }
}

// Writes that end where they began leave the file untouched: no write, no rename.
TEST(ProfileTest, EqualBytesAreNotRewritten) {
    const std::vector<ProfileWrite> batches[] = {
        {{"A", "k", "  v  "}},                   // the value as it stands, blanks included
        {{"A", "k", "2"}, {"a", "K", "  v  "}},  // set and set back
        {{"A", "n", "1"}, {"A", "n", std::nullopt}},
    };
    for (const std::vector<ProfileWrite>& batch : batches) {
        TempDir dir;
        writeBytes(dir.file("Rendix.ini"), "[A]\r\nk=  v  \r\n");
        platform::TestSeam seam;
        EXPECT_TRUE(writeProfileStrings(dir.file("Rendix.ini"), batch));
        EXPECT_EQ(seam.count(Operation::Write) + seam.count(Operation::Rename), 0);
        EXPECT_EQ(readBytes(dir.file("Rendix.ini")), "[A]\r\nk=  v  \r\n");
    }
}

// A batch gives the bytes that its writes give one by one, also where consecutive writes to
// one section are made in one pass: keys set in place, added after the last non-blank line,
// removed, a key twice in the file or in the batch, a section missing or named twice, a
// last line without terminator, LF lines.
TEST(ProfileTest, ABatchEqualsItsWritesOneByOne) {
    const QByteArray files[] = {
        "",
        "[A]\r\nk0=x\r\n; c\r\nK1 = y\r\nk1=z\r\n\r\n\r\n[B]\r\nk2=w",
        "[A]\nk2=1\n[a]\nk0=2\n",
        "[B]\r\nk0=1\r\n[A]\r\nk3=q",
        "[A]",
        "x=1",
    };
    const auto keys = [](const char* section, int from, int to, bool set) {
        std::vector<ProfileWrite> writes;
        for (int i = from; i < to; ++i) {
            writes.push_back({section, "k" + QByteArray::number(i),
                              set ? Value("v" + QByteArray::number(i)) : std::nullopt});
        }
        return writes;
    };
    const auto join = [](std::vector<ProfileWrite> a, const std::vector<ProfileWrite>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::vector<ProfileWrite> batches[] = {
        keys("A", 0, 5, true),
        keys(" a ", 0, 4, false),
        join(keys("A", 0, 3, true), keys("A", 1, 4, false)),
        join(keys("A", 0, 2, true), keys("A", 0, 3, true)),
        join(keys("C", 0, 3, true), keys("A", 0, 3, true)),
        join({{"A", std::nullopt, std::nullopt}}, keys("A", 0, 3, true)),
        join(keys("A", 0, 3, true), {{"A", "k9", "\n"}}),  // refused: nothing changes
    };
    for (const QByteArray& file : files) {
        for (const std::vector<ProfileWrite>& batch : batches) {
            SCOPED_TRACE(file.constData());
            QByteArray together = file;
            QByteArray single = file;
            bool refused = false;
            for (const ProfileWrite& write : batch) {
                refused = refused || !applyProfileWrites(single, {write});
            }
            EXPECT_EQ(applyProfileWrites(together, batch).ok, !refused);
            EXPECT_EQ(together, refused ? file : single);
        }
    }
}

// An indexed list read in one pass holds what a read per index gives.
TEST(ProfileTest, IndexedValuesEqualOneReadPerIndex) {
    const QByteArray content =
        "\xEF\xBB\xBF"
        "DM.Ex[0]=orphan\r\n[Other]\r\nDM.Ex[0]=no\r\n\t[ mapexcludes.dm ] x\r\ndm.ex[1]=lower\r\n"
        "DM.Ex[01]=zero\r\n"
        " DM.Ex[2] = ' blanks '\r\nDM.Ex[0]=first\r\nDM.Ex[0]=second\r\n;DM.Ex[3]=c\r\n"
        "DM.Ex[4]=" +
        QByteArray(300, 'x') +
        "\r\nDM.Ex[-5]=m\r\nDM.Ex[+5]=p\r\nDM.Ex[99999999999999999999]=big\r\nDM.Ex[6]\r\n"
        "DM.Ex[7=b\r\nDM.Ex[]=e\r\nDM.Ex[8]=\r\nDM.Ex[9]=last\r\n[MapExcludes.DM]\r\n"
        "DM.Ex[5]=later";
    for (const qsizetype count : {0, 1, 9, 10, 12}) {
        std::vector<QByteArray> expected;
        for (qsizetype i = 0; i < count; ++i) {
            expected.push_back(
                profileValue(content, "MapExcludes.DM", "DM.Ex[" + QByteArray::number(i) + "]")
                    .value_or(QByteArray()));
        }
        const auto read = profileIndexedValues(
            content, {{"Missing", "DM.Ex[", 2}, {" mapexcludes.DM", "DM.Ex[", count}});
        EXPECT_EQ(read, (std::vector<std::vector<QByteArray>>{{"", ""}, expected}));
    }
}

}  // namespace
}  // namespace rendix::ini
