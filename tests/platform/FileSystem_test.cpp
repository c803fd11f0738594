#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <vector>

#include "DataTable.h"
#include "platform/FileSystem.h"
#include "platform/Seam.h"

namespace rendix::platform {
namespace {

using testing::TempDir;

// Builds the folder tree of a checked-in table (its first line says how).
void build(const TempDir& root, const char* tree) {
    for (const QList<QByteArray>& row : testing::dataTable(tree)) {
        const QByteArray path = root.file(row[1]);
        if (row[0] == "d") {
            testing::makeFolder(path);
        } else if (row[0] == "f") {
            testing::writeBytes(path, row[1]);
        } else {
            ASSERT_EQ(row[0] == "h" ? ::link(root.file(row[2]).constData(), path.constData())
                                    : ::symlink(row[2].constData(), path.constData()),
                      0);
        }
    }
}

mode_t modeOf(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(ResolverTest, FindsTheStoredNameByAbsoluteAndRelativePath) {
    TempDir root;
    build(root, "resolver.tree");
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir(root.path().constData()), 0);
    for (const QByteArray& prefix : {root.path() + '/', QByteArray()}) {
        for (const QList<QByteArray>& row : testing::dataTable("resolver.rows")) {
            SCOPED_TRACE((prefix + row.join('|')).constData());
            const QByteArray path = prefix + row[1];
            const std::optional<FoundFile> found = lookupFile(path);
            EXPECT_TRUE(!found || ('/' + found->path).endsWith('/' + found->storedName));
            const std::optional<QByteArray> got = row[0] == "resolve" ? resolvePath(path)
                                                  : row[0] == "write" ? resolveForWrite(path)
                                                  : found             ? std::optional(found->path)
                                                                      : std::nullopt;
            EXPECT_EQ(got, row[2].isEmpty() ? std::nullopt : std::optional(prefix + row[2]));
        }
    }
    ASSERT_EQ(::chdir(cwd), 0);
}

TEST(FolderTest, ListsMatchesProbesAndDeletesPlainFiles) {
    TempDir root;
    build(root, "listing.tree");
    for (const QList<QByteArray>& row : testing::dataTable("listing.rows")) {
        const Listing listing = listFiles(root.file("D"), row[0]);
        EXPECT_TRUE(listing.ok) << row[0].constData();
        EXPECT_EQ(QByteArrayList(listing.names.begin(), listing.names.end()).join(' '), row[1]);
    }
    for (const QList<QByteArray>& row : testing::dataTable("wildcard.rows")) {
        EXPECT_EQ(wildcardMatch(row[0], row[1]), row[2] == "1") << row.join('|').constData();
    }
    EXPECT_TRUE(folderExists(root.path() + "//D"));
    EXPECT_FALSE(folderExists(root.file("d/a.int")));
    EXPECT_TRUE(canCreateFileIn(root.file("D")));
    EXPECT_EQ(testing::folderNames(root.file("d")).size(), 11u);
    EXPECT_FALSE(canCreateFileIn(root.file("missing")));
    EXPECT_FALSE(programDirectory().endsWith('/'));
    EXPECT_TRUE(userConfigFolder().endsWith("/Rendix"));
    TestSeam seam;
    seam.failNth(Operation::Delete, 2);
    EXPECT_FALSE(removeMatching(root.file("D"), "?.INT"));  // a.int, B.int (fails), b.int
    EXPECT_EQ(listFiles(root.file("d"), "?.int").names, std::vector<QByteArray>{"B.int"});
    EXPECT_TRUE(removeFile(root.file("d/b.INT")));
    EXPECT_FALSE(removeFile(root.file("d/b.INT")));
    EXPECT_TRUE(removeMatching(root.file("nowhere"), "*"));
    seam.failAll(Operation::List);
    EXPECT_FALSE(listFiles(root.path(), "*").ok);
    EXPECT_FALSE(removeMatching(root.file("d"), "*"));
    EXPECT_EQ(testing::folderNames(root.file("d")).size(), 8u);
}

struct SafeWriteTest : ::testing::Test {
    TempDir root;
    QByteArray dir = root.file("System");
    QByteArray file = dir + "/UnrealTournament.ini";
    QByteArray oldBytes = "[Engine]\r\nOld=1\r\n";
    // Several 64 KB pieces, so that each of them can fail.
    QByteArray newBytes = QByteArray(200 * 1024, 'x') + "\r\nEnd\r\n";
    void SetUp() override { testing::writeBytes(file, oldBytes); }

    // Runs `action` with each of its steps of each kind failing in turn: every such run must
    // report the failure and leave the folder's names and the file's bytes as they were.
    // Then the run that no step fails succeeds, and `undo` puts things back.
    void expectEachFaultChangesNothing(const std::vector<Operation>& ops,
                                       const std::function<Result()>& action,
                                       const std::function<void()>& undo) {
        const auto state = [this] {
            return std::pair(testing::folderNames(dir), testing::readBytes(file));
        };
        const auto before = state();
        for (const Operation op : ops) {
            for (int n = 1;; ++n) {
                SCOPED_TRACE(::testing::Message() << "step " << static_cast<int>(op) << '#' << n);
                TestSeam seam;
                seam.failNth(op, n);
                const Result result = action();
                if (seam.count(op) < n) {  // fewer steps than n: the action ran to its end
                    ASSERT_TRUE(result);
                    ASSERT_GT(n, 1);
                    undo();
                    break;
                }
                EXPECT_FALSE(result.ok);
                EXPECT_FALSE(result.error.isEmpty());
                EXPECT_EQ(state(), before);
            }
        }
    }
};

TEST_F(SafeWriteTest, ReplaceFailingAtAnyStepKeepsTheOldFile) {
    expectEachFaultChangesNothing(
        {Operation::Write, Operation::Flush, Operation::Sync, Operation::Rename},
        [&] { return replaceFile(file, newBytes); }, [&] { testing::writeBytes(file, oldBytes); });
}

TEST_F(SafeWriteTest, ReplaceKeepsModeOwnerLinkAndLetterCase) {
    ASSERT_EQ(::chmod(file.constData(), 0640), 0);
    ASSERT_EQ(::chown(file.constData(), 1234, 5678), 0);
    ASSERT_TRUE(replaceFile(dir + "/unrealtournament.INI", newBytes));
    struct stat info {};
    ASSERT_EQ(::stat(file.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(info.st_uid, 1234u);
    EXPECT_EQ(info.st_gid, 5678u);
    EXPECT_EQ(testing::readBytes(file), newBytes);
    EXPECT_EQ(testing::folderNames(dir), std::vector<QByteArray>{"UnrealTournament.ini"});
    // Through a symbolic link the file it points to is rewritten and the link stays.
    const QByteArray link = root.file("Game.ini");
    ASSERT_EQ(::symlink("System/UnrealTournament.ini", link.constData()), 0);
    ASSERT_TRUE(replaceFile(link, oldBytes));
    EXPECT_EQ(testing::readBytes(file), oldBytes);
    // A new file gets the usual mode, not the temporary file's private one.
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(replaceFile(dir + "/New.ini", ""));
    ::umask(mask);
    EXPECT_EQ(modeOf(dir + "/New.ini"), 0644u);
    EXPECT_FALSE(replaceFile(root.file("Missing/New.ini"), newBytes));
}

TEST_F(SafeWriteTest, ReadsAndCopiesWholeFilesOrNothingAndNeverReplaces) {
    testing::writeBytes(file, newBytes);
    ASSERT_EQ(::chmod(file.constData(), 0604), 0);
    const QByteArray target = dir + "/Backup.ini";
    expectEachFaultChangesNothing(
        {Operation::Copy, Operation::Open, Operation::Read, Operation::Write, Operation::Flush,
         Operation::Sync, Operation::Rename},
        [&] { return copyFileNew(file, target); }, [&] { ::unlink(target.constData()); });
    ASSERT_TRUE(copyFileNew(root.file("system/unrealtournament.ini"), target));
    EXPECT_EQ(readFile(root.file("SYSTEM/backup.INI")), newBytes);
    EXPECT_EQ(modeOf(target), 0604u);
    EXPECT_EQ(readFile(dir), std::nullopt);
    EXPECT_EQ(readFile(dir + "/Missing.ini"), std::nullopt);
    for (const Operation op : {Operation::Open, Operation::Read}) {
        TestSeam seam;
        seam.failNth(op, op == Operation::Read ? 3 : 1);
        EXPECT_EQ(readFile(file), std::nullopt);
    }
    for (const QByteArray existing : {"Backup.ini", "bACKUP.INI"}) {
        ASSERT_EQ(::unlink(target.constData()), 0);
        testing::writeBytes(dir + '/' + existing, "keep me");
        EXPECT_FALSE(copyFileNew(file, target)) << existing.constData();
        EXPECT_EQ(testing::readBytes(dir + '/' + existing), "keep me");
        EXPECT_EQ(testing::folderNames(dir).size(), 2u);
    }
    EXPECT_FALSE(copyFileNew(dir + "/Missing.ini", dir + "/Other.ini"));
    EXPECT_FALSE(copyFileNew(file, root.file("Missing/Backup.ini")));
}

}  // namespace
}  // namespace rendix::platform
