#include <gtest/gtest.h>

#include "app/SysInfo.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

namespace rendix {
namespace {

using platform::kHkeyLocalMachine;
using platform::RegistryValue;

const QByteArray kPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

TEST(GetKeyValue, ReadsStringsAndDoubleWords) {
    struct Case {
        const char* name;
        std::optional<RegistryValue> value;
        bool expected;
        QByteArray expectedKeyVal;
    };
    const std::vector<Case> cases{
        {"StringWithZero", RegistryValue{1, QByteArray("C:\\msinfo.exe\0", 14)}, true,
         "C:\\msinfo.exe"},
        {"StringWithoutZero", RegistryValue{1, "C:\\msinfo.exe"}, true, "C:\\msinfo.exe"},
        {"DoubleWordLastByteFirst", RegistryValue{4, QByteArray("\x2a\x01\x00\x00", 4)}, true,
         "&hbefore012A"},
        {"OtherTypeKeepsKeyVal", RegistryValue{3, "abc"}, true, "before"},
        {"EmptyValue", RegistryValue{1, ""}, false, ""},
        {"MissingValue", std::nullopt, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::TestSeam seam;
        seam.setRegistryValue(kHkeyLocalMachine, kPathKey, "Other", {1, "x"});
        if (c.value) {
            seam.setRegistryValue(kHkeyLocalMachine, kPathKey, "PATH", *c.value);
        }
        QByteArray keyVal = "before";
        EXPECT_EQ(GetKeyValue(kHkeyLocalMachine, kPathKey, "PATH", keyVal), c.expected);
        EXPECT_EQ(keyVal, c.expectedKeyVal);
    }
}

TEST(StartSysInfo, StartsTheProgramTheRegistryNamesOrSaysItIsUnavailable) {
    testing::TempDir temp;
    const QByteArray withProgram = temp.file("with");
    testing::writeBytes(withProgram + "/MSINFO32.EXE", "MZ");
    testing::makeFolder(temp.file("without"));
    struct Case {
        const char* name;
        std::optional<QByteArray> path;    // the first value
        std::optional<QByteArray> folder;  // the second value
        bool startsSucceed;
        std::vector<QByteArray> expectedStarts;
    };
    const std::vector<Case> cases{
        // Started without checking that the file exists.
        {"FirstValue",
         QByteArray("C:\\Tools\\msinfo32.exe\0", 22),
         std::nullopt,
         true,
         {"C:\\Tools\\msinfo32.exe"}},
        {"FirstValueFailsToStart",
         QByteArray("C:\\msinfo32.exe"),
         std::nullopt,
         false,
         {"C:\\msinfo32.exe"}},
        {"FolderWithProgram", std::nullopt, withProgram, true, {withProgram + "/MSINFO32.EXE"}},
        {"FolderWithoutProgram", std::nullopt, temp.file("without"), true, {}},
        {"Neither", std::nullopt, std::nullopt, true, {}},
        {"EmptyFirstValue", QByteArray(""), std::nullopt, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::TestSeam seam;
        seam.setStartsSucceed(c.startsSucceed);
        if (c.path) {
            seam.setRegistryValue(kHkeyLocalMachine, kPathKey, "PATH", {1, *c.path});
        }
        if (c.folder) {
            seam.setRegistryValue(kHkeyLocalMachine, kFolderKey, "MSINFO", {1, *c.folder});
        }
        testing::ScriptedMessages messages;
        StartSysInfo(messages);
        EXPECT_EQ(seam.startedPrograms(), c.expectedStarts);
        const bool started = !c.expectedStarts.empty() && c.startsSucceed;
        std::vector<Message> expectedShown;
        if (!started) {
            expectedShown.push_back(
                {QStringLiteral("System Information Is Unavailable At This Time"),
                 QStringLiteral("Rendix")});
        }
        EXPECT_EQ(messages.shown, expectedShown);
    }
}

}  // namespace
}  // namespace rendix
