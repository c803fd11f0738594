#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/TestFiles.h"

// What only Windows has: file attributes, alternate data streams, names that the file system
// matches without regard to case, and paths past the old limit of 260 characters.
namespace rendix::platform {
namespace {

using testing::pathIn;
using testing::TempDir;

std::wstring wide(const QByteArray& path) {
    return QString::fromUtf8(path).toStdWString();
}

DWORD attributesOf(const QByteArray& path) {
    return ::GetFileAttributesW(wide(path).c_str());
}

bool addAttributes(const QByteArray& path, DWORD attributes) {
    return ::SetFileAttributesW(wide(path).c_str(), attributesOf(path) | attributes) &&
           (attributesOf(path) & attributes) == attributes;
}

// Whether the volume of `path` keeps named streams ("file:stream").
bool hasStreams(const QByteArray& path) {
    wchar_t root[MAX_PATH];
    DWORD flags = 0;
    return ::GetVolumePathNameW(wide(path).c_str(), root, MAX_PATH) &&
           ::GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_NAMED_STREAMS) != 0;
}

// ReplaceFileW keeps what belongs to the file rather than to its content.
TEST(WindowsFiles, ARewriteKeepsTheHiddenAttributeAndTheStreams) {
    TempDir root;
    const QByteArray file = root.file("System/UnrealTournament.ini");
    testing::writeBytes(file, "[Engine]\r\nOld=1\r\n");
    const bool hidden = addAttributes(file, FILE_ATTRIBUTE_HIDDEN);
    const bool streams = hasStreams(file);
    if (streams) {
        testing::writeBytes(file + ":Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3\r\n");
    }
    ASSERT_TRUE(replaceFile(file, "[Engine]\r\nNew=1\r\n"));
    EXPECT_EQ(testing::readBytes(file), "[Engine]\r\nNew=1\r\n");
    EXPECT_EQ(testing::folderNames(root.file("System")),
              std::vector<QByteArray>{"UnrealTournament.ini"});
    if (hidden) {
        EXPECT_TRUE(attributesOf(file) & FILE_ATTRIBUTE_HIDDEN);
    }
    if (streams) {
        EXPECT_EQ(testing::readBytes(file + ":Zone.Identifier"), "[ZoneTransfer]\r\nZoneId=3\r\n");
    }
    if (!hidden || !streams) {
        GTEST_SKIP() << "the rewrite was checked, but this file system keeps "
                     << (hidden ? ""
                                : "no hidden attribute (Wine keeps one only where the "
                                  "Linux file system has extended attributes)")
                     << (!hidden && !streams ? " and " : "")
                     << (streams ? "" : "no alternate data streams (Wine has none)");
    }
}

// The read-only attribute is what a file without write bits is on Linux; hidden and system
// files are no plain files for listings and lookups, whatever their names. (A name beginning
// with "." hides nothing on Windows; Wine gives such a file the hidden attribute itself.)
TEST(WindowsFiles, AttributesDecideReadOnlyAndHidden) {
    TempDir root;
    const QByteArray dir = root.file("Maps");
    const struct {
        const char* name;
        DWORD attributes;
        bool listed;
    } rows[] = {
        {"DM-Plain.unr", 0, true},
        {".DM-Dot.unr", 0, true},
        {"DM-Hidden.unr", FILE_ATTRIBUTE_HIDDEN, false},
        {"DM-System.unr", FILE_ATTRIBUTE_SYSTEM, false},
        {"DM-ReadOnly.unr", FILE_ATTRIBUTE_READONLY, true},
    };
    std::vector<QByteArray> listed;
    for (const auto& row : rows) {
        const QByteArray path = pathIn(dir, row.name);
        testing::writeBytes(path, "map");
        ASSERT_TRUE(row.attributes == 0 || addAttributes(path, row.attributes)) << row.name;
        const bool shown = !(attributesOf(path) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        EXPECT_TRUE(shown == row.listed || row.attributes == 0) << row.name;
        if (shown) {
            listed.push_back(row.name);
        }
        EXPECT_EQ(lookupFile(pathIn(dir, QByteArray(row.name).toUpper())).has_value(), shown)
            << row.name;
    }
    sortInListingOrder(listed);
    EXPECT_EQ(listFiles(dir, "*.UNR").names, listed);

    const QByteArray readOnly = pathIn(dir, "DM-ReadOnly.unr");
    for (const Result& refused : {checkRewrite(readOnly), replaceFile(readOnly, "changed")}) {
        EXPECT_EQ(refused.problem, Problem::ReadOnly);
        EXPECT_EQ(refused.path, readOnly);
    }
    EXPECT_EQ(testing::readBytes(readOnly), "map");
}

// Paths longer than 260 characters, with letters beyond ASCII, through every step of a
// rewrite and a backup.
TEST(WindowsFiles, LongPathsWithLettersBeyondAscii) {
    TempDir root;
    QByteArray dir = root.file("J\xC3\xBCrgen");
    while (dir.size() < 300) {
        dir = pathIn(dir, "Unreal Tournament \xE2\x80\x94 GOTY");
    }
    // Made with the prefix that lifts the limit, as no helper of the tests can go this deep.
    for (qsizetype at = root.path().size(); at >= 0; at = dir.indexOf('\\', at + 1)) {
        ::CreateDirectoryW((L"\\\\?\\" + wide(dir.left(at))).c_str(), nullptr);
    }
    ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + wide(dir)).c_str(), nullptr));
    const QByteArray file = pathIn(dir, "UnrealTournament.ini");
    ASSERT_TRUE(replaceFile(file, "[Engine]\r\n"));
    ASSERT_TRUE(replaceFile(pathIn(dir, "unrealtournament.INI"), "[Engine]\r\nNew=1\r\n"));
    EXPECT_EQ(readFile(file), QByteArray("[Engine]\r\nNew=1\r\n"));
    EXPECT_EQ(resolvePath(pathIn(dir, "UNREALTOURNAMENT.ini")), file);
    QByteArray copy;
    ASSERT_TRUE(copyFileToFreeName(file, pathIn(dir, "Rendix_UnrealTournament1"), ".ini", copy));
    EXPECT_EQ(listFiles(dir, "*.ini").names,
              (std::vector<QByteArray>{"Rendix_UnrealTournament1.ini", "UnrealTournament.ini"}));
    EXPECT_TRUE(removeFile(copy));
    EXPECT_EQ(canonicalPath(dir), testing::realPath(dir));
}

}  // namespace
}  // namespace rendix::platform
