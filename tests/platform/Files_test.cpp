#include "platform/Files.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "DataTable.h"
#include "platform/Seam.h"
#include "support/TestFiles.h"

namespace rendix::platform {
namespace {

using testing::pathIn;
using testing::TempDir;

// A POSIX ACL as the kernel stores it: version 2, then per entry its tag, permissions and
// id, little-endian. This one lets user 1234 write and the group only read (mask rw-).
const QByteArray kAclLettingUser1234Write = QByteArray::fromHex(
    "02000000 01000600ffffffff 02000600d2040000 04000400ffffffff 10000600ffffffff "
    "20000000ffffffff");

struct SafeWriteTest : ::testing::Test {
    TempDir root;
    QByteArray dir = root.file("System");
    QByteArray file = pathIn(dir, "UnrealTournament.ini");
    QByteArray oldBytes = "[Engine]\r\nOld=1\r\n";
    // Several 64 KB pieces, so that each of them can fail.
    QByteArray newBytes = QByteArray(200 * 1024, 'x') + "\r\nEnd\r\n";
    bool attributes = false;  // whether the file system here keeps user attributes
    void SetUp() override {
        testing::writeBytes(file, oldBytes);
        attributes = testing::setAttribute(file, "user.rendix", "kept");
    }

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
    // With an attribute to keep, reading and setting it are steps that can fail too.
    std::vector<Operation> ops = {Operation::Write, Operation::Flush, Operation::Sync,
                                  Operation::Rename};
    if (attributes) {
        ops.push_back(Operation::Read);
    }
    expectEachFaultChangesNothing(
        ops, [&] { return replaceFile(file, newBytes); },
        [&] { testing::writeBytes(file, oldBytes); });
}

TEST_F(SafeWriteTest, ReplaceFollowsLinksOnlyToIniFilesAndRefusesReadOnlyFiles) {
    for (const char* name :
         {"home/.bashrc", "home/Other.INI", "home/notes.txt", "home/WriteOnly.ini"}) {
        testing::writeBytes(root.file(name), oldBytes);
    }
    testing::makeFolder(root.file("home/folder.ini"));
    testing::makeReadOnly(file);
    ASSERT_TRUE(testing::setMode(root.file("home/WriteOnly.ini"), 0200));
    // The links are the names at the top of the folder; where none can be made, only the
    // other rows are checked.
    const bool links = testing::linksUnavailable() == nullptr;
    for (const QList<QByteArray>& link : testing::dataTable("replace-links.rows")) {
        ASSERT_TRUE(!links || testing::makeLink(link[1], root.file(link[0]))) << link[0].data();
    }
    const std::map<QByteArray, Problem> problems = {{"None", Problem::None},
                                                    {"LinkRefused", Problem::LinkRefused},
                                                    {"ReadOnly", Problem::ReadOnly}};
    for (const QList<QByteArray>& row : testing::dataTable("replace.rows")) {
        SCOPED_TRACE(row[0].constData());
        if (!links && !row[0].contains('/')) {
            continue;
        }
        const Result result = replaceFile(root.file(row[0]), newBytes);
        EXPECT_EQ(result.problem, problems.at(row[1]));
        EXPECT_EQ(result.ok, row[1] == "None");
        EXPECT_EQ(result.path, result.ok ? QByteArray() : root.file(row[0]));
        EXPECT_EQ(result.target,
                  row[2].isEmpty() ? QByteArray() : testing::realPath(root.file(row[2])));
        if (!row[3].isEmpty()) {
            EXPECT_EQ(testing::readBytes(root.file(row[3])), result.ok ? newBytes : oldBytes);
        }
    }
    EXPECT_FALSE(testing::exists(root.file("home/gone.ini")));
    EXPECT_EQ(testing::readBytes(file), oldBytes);
    EXPECT_EQ(testing::readBytes(root.file("home/.bashrc")), oldBytes);
    EXPECT_EQ(testing::modeOf(file), 0444u);
    for (const QByteArray folder : {"", "home", "System"}) {
        for (const QByteArray& name : testing::folderNames(root.file(folder))) {
            EXPECT_FALSE(name.startsWith(".Rendix-")) << name.constData();
        }
    }
}

TEST_F(SafeWriteTest, RewritesAndCopiesKeepExtendedAttributesAndAcls) {
    if (const char* why = testing::posixFilesUnavailable()) {
        GTEST_SKIP() << why;
    }
    if (!attributes) {
        GTEST_SKIP() << "no user attributes on the file system of " << dir.constData();
    }
    const bool acls =
        testing::setAttribute(file, "system.posix_acl_access", kAclLettingUser1234Write);
    const std::map<QByteArray, QByteArray> kept = testing::attributesOf(file);
    const unsigned mode = testing::modeOf(file);
    EXPECT_EQ(kept.count("system.posix_acl_access"), acls ? 1u : 0u);
    ASSERT_TRUE(replaceFile(file, newBytes));
    EXPECT_EQ(testing::attributesOf(file), kept);
    EXPECT_EQ(testing::modeOf(file), mode);  // the group bits are the ACL's mask, not the group
    ASSERT_TRUE(copyFileNew(file, pathIn(dir, "Backup.ini")));
    EXPECT_EQ(testing::attributesOf(pathIn(dir, "Backup.ini")), kept);
    if (!acls) {
        return;
    }
    // A new file takes an access ACL from its folder's default ACL; a rewrite must not give
    // one to a file that had none.
    const QByteArray plain = pathIn(dir, "Plain.ini");
    testing::writeBytes(plain, oldBytes);
    ASSERT_TRUE(testing::setAttribute(dir, "system.posix_acl_default", kAclLettingUser1234Write));
    ASSERT_TRUE(replaceFile(plain, newBytes));
    EXPECT_EQ(testing::attributesOf(plain), (std::map<QByteArray, QByteArray>{}));
    EXPECT_EQ(testing::modeOf(plain), 0644u);
}

TEST_F(SafeWriteTest, RemovesOnlyOldLeftoversOfItsOwnTemporaryNamingBeforeWriting) {
    const std::vector<QList<QByteArray>> rows = testing::dataTable("leftovers.rows");
    const QByteArray backup = pathIn(dir, "Backup.ini");
    const bool links = testing::linksUnavailable() == nullptr;
    for (const bool copy : {false, true}) {
        SCOPED_TRACE(copy ? "copyFileNew" : "replaceFile");
        for (const QList<QByteArray>& row : rows) {
            const QByteArray path = pathIn(dir, row[0]);
            if (row[1] == "f") {
                testing::writeBytes(path, "left");
            } else if (row[1] == "d") {
                testing::makeFolder(path);
            } else if (!links || !testing::makeLink("UnrealTournament.ini", path)) {
                continue;
            }
            testing::setModified(path, QDateTime::currentSecsSinceEpoch() - row[2].toInt());
        }
        ASSERT_TRUE(copy ? copyFileNew(file, backup) : replaceFile(file, newBytes));
        for (const QList<QByteArray>& row : rows) {
            const QByteArray path = pathIn(dir, row[0]);
            EXPECT_EQ(testing::exists(path), row[3] == "0" && (row[1] != "l" || links))
                << row[0].constData();
            std::filesystem::remove_all(testing::fsPath(path));
        }
        EXPECT_EQ(testing::readBytes(copy ? backup : file), newBytes);
    }
}

TEST_F(SafeWriteTest, ReplaceKeepsLetterCaseAndNeedsTheFolder) {
    ASSERT_TRUE(replaceFile(pathIn(dir, "unrealtournament.INI"), newBytes));
    EXPECT_EQ(testing::readBytes(file), newBytes);
    EXPECT_EQ(testing::folderNames(dir), std::vector<QByteArray>{"UnrealTournament.ini"});
    EXPECT_FALSE(replaceFile(root.file("Missing/New.ini"), newBytes));
}

TEST_F(SafeWriteTest, ReplaceKeepsModeAndOwner) {
    if (const char* why = testing::posixFilesUnavailable()) {
        GTEST_SKIP() << why;
    }
    ASSERT_TRUE(testing::setMode(file, 0640));
    ASSERT_TRUE(testing::setOwner(file, 1234, 5678));
    ASSERT_TRUE(replaceFile(file, newBytes));
    EXPECT_EQ(testing::modeOf(file), 0640u);
    EXPECT_EQ(testing::ownerOf(file), std::pair(1234u, 5678u));
    // A new file gets the usual mode, not the temporary file's private one.
    const unsigned mask = testing::setUmask(022);
    ASSERT_TRUE(replaceFile(pathIn(dir, "New.ini"), ""));
    testing::setUmask(mask);
    EXPECT_EQ(testing::modeOf(pathIn(dir, "New.ini")), 0644u);
}

TEST_F(SafeWriteTest, ReadsAndCopiesWholeFilesOrNothingAndNeverReplaces) {
    testing::writeBytes(file, newBytes);
    // The copy keeps the permission bits (on Windows, where there are none, the attributes).
    const unsigned mode = testing::posixFilesUnavailable() ? 0666 : 0604;
    ASSERT_TRUE(testing::setMode(file, mode));
    const QByteArray target = pathIn(dir, "Backup.ini");
    const auto remove = [](const QByteArray& path) {
        ASSERT_TRUE(std::filesystem::remove(testing::fsPath(path)));
    };
    expectEachFaultChangesNothing(
        {Operation::Copy, Operation::Open, Operation::Read, Operation::Write, Operation::Flush,
         Operation::Sync, Operation::Rename},
        [&] { return copyFileNew(file, target); }, [&] { remove(target); });
    ASSERT_TRUE(copyFileNew(root.file("system/unrealtournament.ini"), target));
    EXPECT_EQ(readFile(root.file("SYSTEM/backup.INI")), newBytes);
    EXPECT_EQ(testing::modeOf(target), mode);
    EXPECT_EQ(readFile(dir), std::nullopt);
    EXPECT_EQ(readFile(pathIn(dir, "Missing.ini")), std::nullopt);
    for (const Operation op : {Operation::Open, Operation::Read}) {
        TestSeam seam;
        seam.failNth(op, op == Operation::Read ? 3 : 1);
        EXPECT_EQ(readFile(file), std::nullopt);
    }
    // A name taken in any letter case: Problem::Exists naming it, the taken file kept. (A name
    // taken just before the final link, with no temporary file left, is a row of the numbered
    // copies below.)
    remove(target);
    const QByteArray taken = pathIn(dir, "bACKUP.INI");
    testing::writeBytes(taken, "keep me");
    const Result exists = copyFileNew(file, target);
    EXPECT_EQ(exists.problem, Problem::Exists);
    EXPECT_EQ(exists.path, taken);
    EXPECT_EQ(testing::readBytes(taken), "keep me");
    EXPECT_EQ(copyFileNew(pathIn(dir, "Missing.ini"), pathIn(dir, "Other.ini")).problem,
              Problem::Missing);
    EXPECT_EQ(copyFileNew(file, root.file("Missing/Backup.ini")).problem, Problem::Missing);
    TestSeam seam;
    seam.failNth(Operation::Read, 1);
    const Result unreadable = copyFileNew(file, pathIn(dir, "Other.ini"));
    EXPECT_EQ(unreadable.problem, Problem::Unreadable);
    EXPECT_EQ(unreadable.path, file);
}

// The first free "_n" name is taken: names taken before in any letter case, or by another
// process just before the final link, are passed over; any other failure ends the search.
TEST_F(SafeWriteTest, CopiesUnderTheFirstFreeNumberedName) {
    for (const QList<QByteArray>& row : testing::dataTable("numbered.rows")) {
        SCOPED_TRACE(row[0].constData());
        TempDir other;
        const QByteArray folder = other.path();
        const bool fails = row[3] == "1";
        for (const QByteArray& taken : row[1].split(' ')) {
            if (!taken.isEmpty()) {
                testing::writeBytes(pathIn(folder, taken), "keep me");
            }
        }
        TestSeam seam;
        if (!row[2].isEmpty()) {
            seam.runBefore(Operation::Rename, 1,
                           [&] { testing::writeBytes(pathIn(folder, row[2]), "keep me"); });
        }
        if (fails) {
            seam.failNth(Operation::Copy, 1);
        }
        QByteArray copy;
        const Result result = copyFileToFreeName(file, pathIn(folder, "Backup"), ".ini", copy);
        EXPECT_EQ(result.ok, !fails);
        EXPECT_EQ(copy, pathIn(folder, row[4]));
        EXPECT_EQ(testing::readBytes(copy), fails ? QByteArray() : oldBytes);
        for (const QByteArray& name : testing::folderNames(folder)) {
            EXPECT_TRUE(name == row[4] || testing::readBytes(pathIn(folder, name)) == "keep me")
                << name.constData();
        }
    }
}

}  // namespace
}  // namespace rendix::platform
