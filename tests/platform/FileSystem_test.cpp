#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Seam.h"
#include "support/TestFiles.h"

namespace rendix::platform {
namespace {

using testing::TempDir;

// Builds a folder tree from lines "d:folder", "f:file" (content = its name),
// "l:link->target" and "h:hardlink->existing file".
void build(const TempDir& root, const std::vector<QByteArray>& tree) {
    for (const QByteArray& entry : tree) {
        const QByteArray what = entry.mid(2);
        if (entry.startsWith("d:")) {
            testing::makeFolder(root.file(what));
        } else if (entry.startsWith("f:")) {
            testing::writeBytes(root.file(what), what);
        } else if (entry.startsWith("h:")) {
            const QList<QByteArray> parts = what.split('>');
            ASSERT_EQ(
                ::link(root.file(parts[1]).constData(), root.file(parts[0].chopped(1)).constData()),
                0);
        } else {
            const QList<QByteArray> parts = what.split('>');
            ASSERT_EQ(::symlink(parts[1].constData(), root.file(parts[0].chopped(1)).constData()),
                      0);
        }
    }
}

// QTemporaryDir lists folders through QDir, which leaves out names that are not valid
// UTF-8, so such files must go before the folder is removed.
struct RemoveUndecodable {
    const TempDir& root;
    const std::vector<QByteArray>& tree;
    ~RemoveUndecodable() {
        for (const QByteArray& entry : tree) {
            if (entry.startsWith("f:") && !QUtf8StringView(entry).isValidUtf8()) {
                ::unlink(root.file(entry.mid(2)).constData());
            }
        }
    }
};

enum class Call { Resolve, ForWrite, Lookup };

struct ResolverCase {
    const char* name;
    Call call;
    QByteArray query;  // relative to the test folder
    std::optional<QByteArray> expected;
    bool relative = false;  // query from inside the folder instead of by absolute path
    friend void PrintTo(const ResolverCase& c, std::ostream* os) { *os << c.name; }
};

const std::vector<QByteArray> kTree = {
    "d:system", "f:system/UnrealTournament.ini", "f:system/.hidden.ini", "d:system/Folder.ini",
    "l:system/Link.ini->UnrealTournament.ini", "l:system/Dead.ini->nowhere", "d:maps", "d:Maps",
    "d:MAPS", "f:real/File.txt", "f:real/Caf\xe9.unr", "l:Game->real", "f:rendix.ini",
    // Two spellings of one file, as a folder that ignores letter case shows it.
    "f:Ab.ini", "h:aB.INI->Ab.ini", "f:both/UnrealTournament.ini", "f:both/unrealtournament.ini"};

class ResolverTest : public ::testing::TestWithParam<ResolverCase> {};

TEST_P(ResolverTest, FindsTheStoredName) {
    const ResolverCase& c = GetParam();
    TempDir root;
    build(root, kTree);
    const RemoveUndecodable cleanup{root, kTree};
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    const QByteArray prefix = c.relative ? QByteArray() : root.path() + '/';
    if (c.relative) {
        ASSERT_EQ(::chdir(root.path().constData()), 0);
    }
    std::optional<QByteArray> got;
    switch (c.call) {
        case Call::Resolve:
            got = resolvePath(prefix + c.query);
            break;
        case Call::ForWrite:
            got = resolveForWrite(prefix + c.query);
            break;
        case Call::Lookup:
            if (const std::optional<FoundFile> found = lookupFile(prefix + c.query)) {
                got = found->path;
                EXPECT_EQ(found->storedName, found->path.mid(found->path.lastIndexOf('/') + 1));
            }
            break;
    }
    ASSERT_EQ(::chdir(cwd), 0);
    if (c.expected) {
        EXPECT_EQ(got, prefix + *c.expected);
    } else {
        EXPECT_EQ(got, std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ResolverTest,
    ::testing::Values(
        ResolverCase{"SystemAgainstLowercase", Call::Resolve, "System/unrealtournament.INI",
                     "system/UnrealTournament.ini"},
        ResolverCase{"ExactVariantWins", Call::Resolve, "Maps", "Maps"},
        ResolverCase{"OtherwiseFirstInByteOrder", Call::Resolve, "mAPs", "MAPS"},
        ResolverCase{"LinkToFolder", Call::Resolve, "game/FILE.txt", "Game/File.txt"},
        ResolverCase{"NameNotUtf8", Call::Resolve, "REAL/CAF\xe9.UNR", "real/Caf\xe9.unr"},
        ResolverCase{"NonAsciiIsNotFolded", Call::Resolve, "real/caf\xc9.unr", std::nullopt},
        ResolverCase{"DoubledSeparator", Call::Resolve, "system//UnrealTournament.ini/",
                     "system/UnrealTournament.ini"},
        ResolverCase{"Missing", Call::Resolve, "system/User.ini", std::nullopt},
        ResolverCase{"FileUsedAsFolder", Call::Resolve, "rendix.ini/x", std::nullopt},
        ResolverCase{"DanglingLinkIsMissing", Call::Resolve, "system/dead.ini", std::nullopt},
        ResolverCase{"Relative", Call::Resolve, "SYSTEM/link.ini", "system/Link.ini", true},
        ResolverCase{"WriteKeepsExistingVariant", Call::ForWrite, "Rendix.ini", "rendix.ini"},
        ResolverCase{"WriteNewNameAsGiven", Call::ForWrite, "SYSTEM/New.ini", "system/New.ini"},
        ResolverCase{"WriteRelative", Call::ForWrite, "RENDIX.ini", "rendix.ini", true},
        ResolverCase{"WriteIntoMissingFolder", Call::ForWrite, "Music/New.ini", std::nullopt},
        ResolverCase{"LookupSameFileExact", Call::Lookup, "aB.INI", "aB.INI"},
        ResolverCase{"LookupBothVariantsExact", Call::Lookup, "both/unrealtournament.ini",
                     "both/unrealtournament.ini"},
        ResolverCase{"LookupLinkToFile", Call::Lookup, "system/link.INI", "system/Link.ini"},
        ResolverCase{"LookupSkipsFolder", Call::Lookup, "system/folder.ini", std::nullopt},
        ResolverCase{"LookupSkipsHidden", Call::Lookup, "system/.hidden.ini", std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

struct ListingCase {
    const char* name;
    QByteArray pattern;
    std::vector<QByteArray> expected;
    friend void PrintTo(const ListingCase& c, std::ostream* os) { *os << c.name; }
};

class ListingTest : public ::testing::TestWithParam<ListingCase> {};

TEST_P(ListingTest, ListsPlainFilesInOrder) {
    TempDir root;
    const std::vector<QByteArray> tree = {"f:d/[x].int",         "f:d/_a.int",
                                          "f:d/a.int",           "f:d/B.int",
                                          "f:d/b.int",           "f:d/Caf\xe9.int",
                                          "f:d/.x.int",          "d:d/f.int",
                                          "l:d/link.int->a.int", "l:d/dead.int->gone.int",
                                          "f:d/zz.txt"};
    build(root, tree);
    const RemoveUndecodable cleanup{root, tree};
    const Listing listing = listFiles(root.file("D"), GetParam().pattern);
    EXPECT_TRUE(listing.ok);
    EXPECT_EQ(listing.names, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Patterns, ListingTest,
                         ::testing::Values(ListingCase{"AllInt",
                                                       "*.int",
                                                       {"a.int", "B.int", "b.int", "Caf\xe9.int",
                                                        "link.int", "[x].int", "_a.int"}},
                                           ListingCase{
                                               "OneLetter", "?.INT", {"a.int", "B.int", "b.int"}},
                                           ListingCase{"Everything",
                                                       "*",
                                                       {"a.int", "B.int", "b.int", "Caf\xe9.int",
                                                        "link.int", "zz.txt", "[x].int", "_a.int"}},
                                           ListingCase{"Prefix", "C*", {"Caf\xe9.int"}},
                                           ListingCase{"NoMatch", "dm*.unr", {}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ListingFaultTest, MissingFolderIsEmptyAndListFaultIsFailure) {
    TempDir root;
    const Listing missing = listFiles(root.file("nowhere"), "*");
    EXPECT_TRUE(missing.ok);
    EXPECT_TRUE(missing.names.empty());
    TestSeam seam;
    seam.failNth(Operation::List, 1);
    EXPECT_FALSE(listFiles(root.path(), "*").ok);
    EXPECT_TRUE(listFiles(root.path(), "*").ok);
}

TEST(WildcardTest, MatchesLikeTheGame) {
    struct Row {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Row rows[] = {
        {"dm*.unr", "DM-Deck16][.unr", true},
        {"dm*.unr", "DM-Deck16.unr.bak", false},
        {"*.int", "a.int.int", true},
        {"*.int", "a.int.bak", false},
        {"a?c", "aBc", true},
        {"a?c", "ac", false},
        {"**a*b", "xaxb", true},
        {"a*b*c", "abcb", false},
        {"?", "\xe9", true},
        {"\xe9", "\xc9", false},
        {"rendix_unrealtournament*.ini", "Rendix_UnrealTournament1231235959.ini", true},
        {"", "a", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(wildcardMatch(row.pattern, row.name), row.matches)
            << row.pattern << " against " << row.name;
    }
}

// A game folder with one file whose rewrite or copy is then made to fail at every step.
struct SafeWriteFixture {
    TempDir root;
    QByteArray dir = root.file("System");
    QByteArray file = dir + "/UnrealTournament.ini";
    QByteArray oldBytes = "[Engine]\r\nOld=1\r\n";
    // Large enough for several writes and reads.
    QByteArray newBytes = QByteArray(200 * 1024, 'x') + "\r\nEnd\r\n";
    SafeWriteFixture() { testing::writeBytes(file, oldBytes); }
};

constexpr Operation kRewriteSteps[] = {Operation::Write, Operation::Flush, Operation::Sync,
                                       Operation::Rename};
constexpr Operation kCopySteps[] = {Operation::Copy,  Operation::Open,  Operation::Read,
                                    Operation::Write, Operation::Flush, Operation::Sync,
                                    Operation::Rename};

TEST(ReplaceFileTest, EveryFailingStepLeavesTheOldFile) {
    SafeWriteFixture f;
    const std::vector<QByteArray> before = testing::folderNames(f.dir);
    for (const Operation op : kRewriteSteps) {
        int steps = 0;
        {
            TempDir scratch;
            TestSeam counter;
            ASSERT_TRUE(replaceFile(scratch.file("probe.ini"), f.newBytes));
            steps = counter.count(op);
        }
        ASSERT_GE(steps, 1);
        for (int n = 1; n <= steps; ++n) {
            TestSeam seam;
            seam.failNth(op, n);
            const Result result = replaceFile(f.file, f.newBytes);
            const auto where = ::testing::Message()
                               << "operation " << static_cast<int>(op) << " #" << n;
            EXPECT_FALSE(result.ok) << where;
            EXPECT_FALSE(result.error.isEmpty()) << where;
            EXPECT_EQ(testing::readBytes(f.file), f.oldBytes) << where;
            EXPECT_EQ(testing::folderNames(f.dir), before) << where;
        }
    }
}

TEST(ReplaceFileTest, KeepsModeOwnerLinkAndLetterCase) {
    SafeWriteFixture f;
    ASSERT_EQ(::chmod(f.file.constData(), 0640), 0);
    ASSERT_EQ(::chown(f.file.constData(), 1234, 5678), 0);
    ASSERT_TRUE(replaceFile(f.dir + "/unrealtournament.INI", f.newBytes));
    struct stat info {};
    ASSERT_EQ(::stat(f.file.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_uid, 1234u);
    EXPECT_EQ(info.st_gid, 5678u);
    EXPECT_EQ(testing::readBytes(f.file), f.newBytes);
    EXPECT_EQ(testing::folderNames(f.dir), std::vector<QByteArray>{"UnrealTournament.ini"});

    const QByteArray link = f.root.file("Game.ini");
    ASSERT_EQ(::symlink("System/UnrealTournament.ini", link.constData()), 0);
    ASSERT_TRUE(replaceFile(link, f.oldBytes));
    ASSERT_EQ(::lstat(link.constData(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(testing::readBytes(f.file), f.oldBytes);

    const mode_t mask = ::umask(022);
    ASSERT_TRUE(replaceFile(f.dir + "/New.ini", ""));
    ::umask(mask);
    ASSERT_EQ(::stat((f.dir + "/New.ini").constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    EXPECT_EQ(info.st_size, 0);
    EXPECT_FALSE(replaceFile(f.root.file("Missing/New.ini"), f.newBytes));
}

TEST(CopyFileNewTest, EveryFailingStepLeavesNoCopy) {
    SafeWriteFixture f;
    testing::writeBytes(f.file, f.newBytes);
    ASSERT_EQ(::chmod(f.file.constData(), 0604), 0);
    const QByteArray target = f.dir + "/Backup.ini";
    const std::vector<QByteArray> before = testing::folderNames(f.dir);
    for (const Operation op : kCopySteps) {
        int steps = 0;
        {
            TestSeam counter;
            ASSERT_TRUE(copyFileNew(f.file, target));
            steps = counter.count(op);
            ASSERT_EQ(::unlink(target.constData()), 0);
        }
        ASSERT_GE(steps, 1);
        for (int n = 1; n <= steps; ++n) {
            TestSeam seam;
            seam.failNth(op, n);
            const auto where = ::testing::Message()
                               << "operation " << static_cast<int>(op) << " #" << n;
            EXPECT_FALSE(copyFileNew(f.file, target).ok) << where;
            EXPECT_EQ(testing::folderNames(f.dir), before) << where;
        }
    }
    ASSERT_TRUE(copyFileNew(f.root.file("system/unrealtournament.ini"), target));
    EXPECT_EQ(testing::readBytes(target), f.newBytes);
    struct stat info {};
    ASSERT_EQ(::stat(target.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
}

TEST(CopyFileNewTest, NeverReplacesAnyLetterCase) {
    SafeWriteFixture f;
    for (const QByteArray& existing : {QByteArray("Backup.ini"), QByteArray("bACKUP.INI")}) {
        const QByteArray path = f.dir + '/' + existing;
        testing::writeBytes(path, "keep me");
        EXPECT_FALSE(copyFileNew(f.file, f.dir + "/Backup.ini").ok) << existing.constData();
        EXPECT_EQ(testing::readBytes(path), "keep me");
        EXPECT_EQ(testing::folderNames(f.dir).size(), 2u);
        ASSERT_EQ(::unlink(path.constData()), 0);
    }
    EXPECT_FALSE(copyFileNew(f.dir + "/Missing.ini", f.dir + "/Backup.ini").ok);
    EXPECT_FALSE(copyFileNew(f.file, f.root.file("Missing/Backup.ini")).ok);
}

TEST(RemoveTest, DeletesMatchesAndReportsEachFailure) {
    TempDir root;
    build(root,
          {"f:s/Rendix_UT1.ini", "f:s/rendix_ut2.INI", "f:s/Rendix_UT3.ini", "f:s/Other.ini"});
    TestSeam seam;
    seam.failNth(Operation::Delete, 2);
    EXPECT_FALSE(removeMatching(root.file("S"), "rendix_ut*.ini").ok);
    EXPECT_EQ(testing::folderNames(root.file("s")),
              (std::vector<QByteArray>{"Other.ini", "rendix_ut2.INI"}));
    EXPECT_TRUE(removeFile(root.file("s/RENDIX_ut2.ini")).ok);
    EXPECT_FALSE(removeFile(root.file("s/rendix_ut2.ini")).ok);
    EXPECT_TRUE(removeMatching(root.file("nowhere"), "*").ok);
    seam.failAll(Operation::List);
    EXPECT_FALSE(removeMatching(root.file("s"), "*").ok);
    EXPECT_EQ(testing::folderNames(root.file("s")), std::vector<QByteArray>{"Other.ini"});
}

TEST(ReadFileTest, ReadsWholeFilesAndFailsOtherwise) {
    SafeWriteFixture f;
    testing::writeBytes(f.file, f.newBytes);
    EXPECT_EQ(readFile(f.root.file("SYSTEM/unrealtournament.ini")), f.newBytes);
    EXPECT_EQ(readFile(f.dir), std::nullopt);
    EXPECT_EQ(readFile(f.dir + "/Missing.ini"), std::nullopt);
    for (const Operation op : {Operation::Open, Operation::Read}) {
        TestSeam seam;
        seam.failNth(op, op == Operation::Read ? 3 : 1);
        EXPECT_EQ(readFile(f.file), std::nullopt);
        EXPECT_EQ(readFile(f.file), f.newBytes);
    }
}

TEST(FolderTest, ProbesAndLocatesFolders) {
    TempDir root;
    EXPECT_TRUE(canCreateFileIn(root.path()));
    EXPECT_TRUE(testing::folderNames(root.path()).empty());
    EXPECT_FALSE(canCreateFileIn(root.file("missing")));
    EXPECT_TRUE(folderExists(root.path() + "//"));
    EXPECT_FALSE(folderExists(root.file("missing")));
    EXPECT_EQ(joinPath("/ut/", {"system", "x.ini"}), "/ut//system/x.ini");
    EXPECT_FALSE(programDirectory().endsWith('/'));
    EXPECT_TRUE(userConfigFolder().endsWith("/Rendix"));
    TestSeam seam;
    seam.setProgramDirectory("/opt/rendix");
    seam.setUserConfigFolder("/home/u/.config/Rendix");
    EXPECT_EQ(programDirectory(), "/opt/rendix");
    EXPECT_EQ(userConfigFolder(), "/home/u/.config/Rendix");
    EXPECT_TRUE(startProgram("/usr/bin/msinfo"));
    seam.setStartsSucceed(false);
    EXPECT_FALSE(startProgram("/usr/bin/other"));
    EXPECT_EQ(seam.startedPrograms(),
              (std::vector<QByteArray>{"/usr/bin/msinfo", "/usr/bin/other"}));
}

}  // namespace
}  // namespace rendix::platform
