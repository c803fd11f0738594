#include "platform/Files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/Seam.h"
#include "support/TestFiles.h"

namespace rendix::platform {
namespace {

using testing::TempDir;

mode_t modeOf(const QByteArray& path) {
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The extended attributes of a file, names to values (ACLs are system.posix_acl_*).
std::map<QByteArray, QByteArray> attributesOf(const QByteArray& path) {
    std::map<QByteArray, QByteArray> attributes;
    char names[4096];
    const ssize_t size = ::listxattr(path.constData(), names, sizeof names);
    for (const QByteArray& name : QByteArray(names, std::max<ssize_t>(size, 0)).split('\0')) {
        char value[4096];
        const ssize_t length = ::getxattr(path.constData(), name.constData(), value, sizeof value);
        if (!name.isEmpty() && length >= 0) {
            attributes[name] = QByteArray(value, length);
        }
    }
    return attributes;
}

// A POSIX ACL as the kernel stores it: version 2, then per entry its tag, permissions and
// id, little-endian. This one lets user 1234 write and the group only read (mask rw-).
QByteArray aclLettingUser1234Write() {
    QByteArray bytes;
    const auto put = [&](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) {
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    put(2, 4);
    const std::uint32_t entries[][3] = {
        {0x01, 6, ~0u}, {0x02, 6, 1234}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 0, ~0u}};
    for (const auto& [tag, permissions, id] : entries) {
        put(tag, 2);
        put(permissions, 2);
        put(id, 4);
    }
    return bytes;
}

QByteArray realPathOf(const QByteArray& path) {
    char* real = ::realpath(path.constData(), nullptr);
    const QByteArray result = real ? QByteArray(real) : path;
    std::free(real);
    return result;
}

struct SafeWriteTest : ::testing::Test {
    TempDir root;
    QByteArray dir = root.file("System");
    QByteArray file = dir + "/UnrealTournament.ini";
    QByteArray oldBytes = "[Engine]\r\nOld=1\r\n";
    // Several 64 KB pieces, so that each of them can fail.
    QByteArray newBytes = QByteArray(200 * 1024, 'x') + "\r\nEnd\r\n";
    bool attributes = false;  // whether the file system here keeps user attributes
    void SetUp() override {
        testing::writeBytes(file, oldBytes);
        attributes = ::setxattr(file.constData(), "user.rendix", "kept", 4, 0) == 0;
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
    testing::writeBytes(root.file("home/.bashrc"), oldBytes);
    testing::writeBytes(root.file("home/Other.INI"), oldBytes);
    testing::writeBytes(root.file("home/notes.txt"), oldBytes);
    testing::writeBytes(root.file("home/WriteOnly.ini"), oldBytes);
    testing::makeFolder(root.file("home/folder.ini"));
    ASSERT_EQ(::chmod(file.constData(), 0444), 0);
    ASSERT_EQ(::chmod(root.file("home/WriteOnly.ini").constData(), 0200), 0);
    for (const auto& [link, to] : std::vector<std::pair<const char*, const char*>>{
             {"ToBashrc.ini", "home/.bashrc"},
             {"Chain.ini", "Hop"},
             {"Hop", "home/Other.INI"},
             {"ToFolder.ini", "home/folder.ini"},
             {"Dangling.ini", "home/gone.ini"},
             {"Loop.ini", "Loop.ini"},
             {"ToReadOnly.ini", "System/UnrealTournament.ini"}}) {
        ASSERT_EQ(::symlink(to, root.file(link).constData()), 0) << link;
    }
    struct Row {
        const char* written;  // the path given to replaceFile
        Problem problem;
        const char* target;   // Result::target, where the link leads
        const char* changed;  // the file whose bytes change (or stay, on a refusal), if any
    };
    const Row rows[] = {
        {"ToBashrc.ini", Problem::LinkRefused, "home/.bashrc", "home/.bashrc"},
        {"Chain.ini", Problem::None, "", "home/Other.INI"},
        {"ToFolder.ini", Problem::LinkRefused, "home/folder.ini", nullptr},
        {"Dangling.ini", Problem::LinkRefused, "home/gone.ini", nullptr},
        {"Loop.ini", Problem::LinkRefused, "Loop.ini", nullptr},
        {"System/UnrealTournament.ini", Problem::ReadOnly, "", "System/UnrealTournament.ini"},
        {"ToReadOnly.ini", Problem::ReadOnly, "", "System/UnrealTournament.ini"},
        {"home/WriteOnly.ini", Problem::None, "", "home/WriteOnly.ini"},
        {"home/notes.txt", Problem::None, "", "home/notes.txt"},  // no link, any name
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.written);
        const Result result = replaceFile(root.file(row.written), newBytes);
        EXPECT_EQ(result.problem, row.problem);
        EXPECT_EQ(result.ok, row.problem == Problem::None);
        EXPECT_EQ(result.path, result.ok ? QByteArray() : root.file(row.written));
        EXPECT_EQ(result.target, *row.target ? realPathOf(root.file(row.target)) : QByteArray());
        if (row.changed) {
            EXPECT_EQ(testing::readBytes(root.file(row.changed)), result.ok ? newBytes : oldBytes);
        }
    }
    EXPECT_FALSE(testing::exists(root.file("home/gone.ini")));
    EXPECT_EQ(testing::readBytes(file), oldBytes);
    EXPECT_EQ(testing::readBytes(root.file("home/.bashrc")), oldBytes);
    EXPECT_EQ(modeOf(file), 0444u);
    for (const QByteArray folder : {"", "home", "System"}) {
        for (const QByteArray& name : testing::folderNames(root.file(folder))) {
            EXPECT_FALSE(name.startsWith(".Rendix-")) << name.constData();
        }
    }
}

TEST_F(SafeWriteTest, RewritesAndCopiesKeepExtendedAttributesAndAcls) {
    if (!attributes) {
        GTEST_SKIP() << "no user attributes on the file system of " << dir.constData();
    }
    const QByteArray acl = aclLettingUser1234Write();
    const bool acls = ::setxattr(file.constData(), "system.posix_acl_access", acl.constData(),
                                 static_cast<size_t>(acl.size()), 0) == 0;
    const std::map<QByteArray, QByteArray> kept = attributesOf(file);
    const mode_t mode = modeOf(file);
    EXPECT_EQ(kept.count("system.posix_acl_access"), acls ? 1u : 0u);
    ASSERT_TRUE(replaceFile(file, newBytes));
    EXPECT_EQ(attributesOf(file), kept);
    EXPECT_EQ(modeOf(file), mode);  // the group bits are the ACL's mask, not the group entry
    ASSERT_TRUE(copyFileNew(file, dir + "/Backup.ini"));
    EXPECT_EQ(attributesOf(dir + "/Backup.ini"), kept);
    if (!acls) {
        return;
    }
    // A new file takes an access ACL from its folder's default ACL; a rewrite must not give
    // one to a file that had none.
    const QByteArray plain = dir + "/Plain.ini";
    testing::writeBytes(plain, oldBytes);
    ASSERT_EQ(::setxattr(dir.constData(), "system.posix_acl_default", acl.constData(),
                         static_cast<size_t>(acl.size()), 0),
              0);
    ASSERT_TRUE(replaceFile(plain, newBytes));
    EXPECT_EQ(attributesOf(plain), (std::map<QByteArray, QByteArray>{}));
    EXPECT_EQ(modeOf(plain), 0644u);
}

TEST_F(SafeWriteTest, RemovesOnlyOldLeftoversOfItsOwnTemporaryNamingBeforeWriting) {
    struct Row {
        const char* name;
        char kind;  // f: plain file, d: folder, l: symbolic link
        int ageSeconds;
        bool removed;
    };
    const Row rows[] = {
        {".Rendix-a1B2c3", 'f', 120, true},       {".Rendix-probe-Zz9yY8", 'f', 120, true},
        {".Rendix-fresh1", 'f', 30, false},       {".Rendix-a1B2c", 'f', 120, false},
        {".Rendix-a1B2c34", 'f', 120, false},     {".Rendix-a1B-c3", 'f', 120, false},
        {".rendix-a1B2c3", 'f', 120, false},      {"Rendix-a1B2c3", 'f', 120, false},
        {".Rendix-probe-a1B2c", 'f', 120, false}, {".Rendix-folder", 'd', 120, false},
        {".Rendix-linked", 'l', 120, false},
    };
    const QByteArray backup = dir + "/Backup.ini";
    for (const bool copy : {false, true}) {
        SCOPED_TRACE(copy ? "copyFileNew" : "replaceFile");
        for (const Row& row : rows) {
            const QByteArray path = dir + '/' + row.name;
            if (row.kind == 'f') {
                testing::writeBytes(path, "left");
            } else if (row.kind == 'd') {
                testing::makeFolder(path);
            } else {
                ASSERT_EQ(::symlink("UnrealTournament.ini", path.constData()), 0);
            }
            const timespec times[2] = {{std::time(nullptr) - row.ageSeconds, 0},
                                       {std::time(nullptr) - row.ageSeconds, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
        }
        ASSERT_TRUE(copy ? copyFileNew(file, backup) : replaceFile(file, newBytes));
        for (const Row& row : rows) {
            EXPECT_EQ(testing::exists(dir + '/' + row.name), !row.removed) << row.name;
            std::filesystem::remove_all((dir + '/' + row.name).constData());
        }
        EXPECT_EQ(testing::readBytes(copy ? backup : file), newBytes);
    }
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
    // A name taken before the copy, in any letter case, or by another process just before
    // the final link: Problem::Exists naming it, the taken file kept, no temporary file left.
    ASSERT_EQ(::unlink(target.constData()), 0);
    for (const auto& [existing, late] : std::vector<std::pair<QByteArray, bool>>{
             {"Backup.ini", false}, {"bACKUP.INI", false}, {"Backup.ini", true}}) {
        SCOPED_TRACE((existing + (late ? " taken late" : "")).constData());
        TestSeam seam;
        const auto take = [&] { testing::writeBytes(dir + '/' + existing, "keep me"); };
        if (late) {
            seam.runBefore(Operation::Rename, 1, take);
        } else {
            take();
        }
        const Result result = copyFileNew(file, target);
        EXPECT_EQ(result.problem, Problem::Exists);
        EXPECT_EQ(result.path, dir + '/' + existing);
        EXPECT_EQ(testing::readBytes(dir + '/' + existing), "keep me");
        std::vector<QByteArray> names = {"UnrealTournament.ini", existing};
        std::sort(names.begin(), names.end());
        EXPECT_EQ(testing::folderNames(dir), names);
        ASSERT_EQ(::unlink((dir + '/' + existing).constData()), 0);
    }
    EXPECT_EQ(copyFileNew(dir + "/Missing.ini", dir + "/Other.ini").problem, Problem::Missing);
    EXPECT_EQ(copyFileNew(file, root.file("Missing/Backup.ini")).problem, Problem::Missing);
    TestSeam seam;
    seam.failNth(Operation::Read, 1);
    const Result unreadable = copyFileNew(file, dir + "/Other.ini");
    EXPECT_EQ(unreadable.problem, Problem::Unreadable);
    EXPECT_EQ(unreadable.path, file);
}

// The first free "_n" name is taken: names taken before in any letter case, or by another
// process just before the final link, are passed over; any other failure ends the search.
TEST_F(SafeWriteTest, CopiesUnderTheFirstFreeNumberedName) {
    const struct {
        const char* name;
        const char* takenBefore;  // names in the folder before the copy
        const char* takenLate;    // a name taken right before the first final link
        bool fails;               // the copy fails (the seam refuses it)
        const char* copy;         // the name used or last tried
    } rows[] = {
        {"free", "", "", false, "Backup.ini"},
        {"taken in any case", "backup.INI BACKUP_2.ini", "", false, "Backup_3.ini"},
        {"taken meanwhile", "", "Backup.ini", false, "Backup_2.ini"},
        {"refused", "", "", true, "Backup.ini"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir other;
        const QByteArray folder = other.path();
        for (const QByteArray& taken : QByteArray(row.takenBefore).split(' ')) {
            if (!taken.isEmpty()) {
                testing::writeBytes(folder + '/' + taken, "keep me");
            }
        }
        TestSeam seam;
        if (*row.takenLate) {
            seam.runBefore(Operation::Rename, 1,
                           [&] { testing::writeBytes(folder + '/' + row.takenLate, "keep me"); });
        }
        if (row.fails) {
            seam.failNth(Operation::Copy, 1);
        }
        QByteArray copy;
        const Result result = copyFileToFreeName(file, folder + "/Backup", ".ini", copy);
        EXPECT_EQ(result.ok, !row.fails);
        EXPECT_EQ(copy, folder + '/' + row.copy);
        EXPECT_EQ(testing::readBytes(copy), row.fails ? QByteArray() : oldBytes);
        for (const QByteArray& name : testing::folderNames(folder)) {
            EXPECT_TRUE(name == row.copy || testing::readBytes(folder + '/' + name) == "keep me")
                << name.constData();
        }
    }
}

}  // namespace
}  // namespace rendix::platform
