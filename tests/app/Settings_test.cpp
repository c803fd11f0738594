#include <gtest/gtest.h>

#include "app/Settings.h"
#include "support/TestFiles.h"

namespace rendix {
namespace {

using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

// Written out here rather than taken from the code under test.
const QByteArray kDefaults =
    "[Main]\r\nUTDir=\r\n\r\n"
    "[MapExcludes.DM]\r\nDM.Ex[0]=DM-Tutorial.unr\r\n\r\n"
    "[MapExcludes.CTF]\r\nCTF.Ex[0]=CTF-Tutorial.unr\r\n\r\n"
    "[MapExcludes.DOM]\r\nDOM.Ex[0]=DOM-Tutorial.unr\r\n\r\n"
    "[MapExcludes.AS]\r\nAS.Ex[0]=AS-Tutorial.unr\r\n\r\n";

TEST(WriteDefaultSettings, ReplacesAnyContentWithTheFifteenLines) {
    TempDir temp;
    const QByteArray path = temp.file("Rendix.ini");
    writeBytes(path, QByteArray(5000, 'x') + "\n[Main]\nUTDir=/old\n");
    ASSERT_TRUE(WriteDefaultSettings(path).ok);
    EXPECT_EQ(readBytes(path), kDefaults);
    EXPECT_EQ(kDefaults.count("\r\n"), 15);
}

// Where the program folder cannot be written, the settings live in the per-user folder,
// which starts as a copy of the program folder's file.
TEST(SettingsFolder, ChoosesTheProgramFolderOrAPerUserCopy) {
    struct Case {
        const char* name;
        bool writable;
        QByteArray programFile;  // "" for none
        QByteArray userFile;     // "" for none
        QByteArray expectedUserFile;
    };
    const std::vector<Case> cases{
        {"WritableProgramFolder", true, "[Main]\r\n", "", ""},
        {"CopiedOnFirstUse", false, "[Main]\r\nUTDir=/ut\r\n", "", "[Main]\r\nUTDir=/ut\r\n"},
        {"ExistingUserFileKept", false, "[Main]\r\nUTDir=/ut\r\n", "[Main]\n", "[Main]\n"},
        {"NothingToCopy", false, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir temp;
        const QByteArray program = temp.file("lib/rendix");
        const QByteArray user = temp.file("home/.config/Rendix");
        testing::makeFolder(program);
        if (!c.programFile.isEmpty()) {
            writeBytes(program + "/Rendix.ini", c.programFile);
        }
        if (!c.userFile.isEmpty()) {
            writeBytes(user + "/Rendix.ini", c.userFile);
        }
        const QByteArray folder = settingsFolderFor(program, c.writable, user);
        EXPECT_EQ(folder, c.writable ? program : user);
        EXPECT_EQ(readBytes(program + "/Rendix.ini"), c.programFile);
        if (!c.writable) {
            EXPECT_TRUE(testing::exists(user));
            EXPECT_EQ(readBytes(user + "/Rendix.ini"), c.expectedUserFile);
        }
    }
}

}  // namespace
}  // namespace rendix
