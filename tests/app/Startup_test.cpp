#include <gtest/gtest.h>

#include <map>

#include "app/Settings.h"
#include "app/Startup.h"
#include "platform/DataTable.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

namespace rendix::testing {
namespace {

using platform::Operation;

const QByteArray kSound =
    "[Main]\r\nUTDir=%UT%\r\n\r\n[MapExcludes.DM]\r\nDM.Ex[0]=DM-A.unr\r\nDM.Ex[1]=DM-B.unr\r\n\r\n"
    "[MapExcludes.CTF]\r\n\r\n[MapExcludes.DOM]\r\nDOM.Ex[0]=DOM-C.unr\r\n\r\n"
    "[MapExcludes.AS]\r\nAS.Ex[0]=AS-D.unr\r\nAS.Ex[2]=AS-E.unr\r\n";

// A settings file that cannot be read ends the start and changes nothing; one of the wrong
// shape is kept beside itself, under a name not yet taken, before the defaults replace it,
// and where that copy fails the file stays and the start ends: data/kept-settings.rows.
TEST(Startup, KeepsWhatItCannotReadOrUnderstand) {
    const std::map<QByteArray, Operation> faults{
        {"Open", Operation::Open}, {"Read", Operation::Read}, {"Copy", Operation::Copy}};
    for (const QList<QByteArray>& cells : dataTable("kept-settings.rows")) {
        SCOPED_TRACE(cells[0].constData());
        const struct {
            QByteArray stored, content, others, fault, ending, boxes, copy;
        } row{cells[1], cells[2], cells[3], cells[4], cells[5], cells[6], cells[7]};
        TempDir dir;
        writeBytes(dir.file(row.stored), row.content);
        const QByteArrayList others =
            row.others.isEmpty() ? QByteArrayList() : row.others.split(',');
        for (const QByteArray& other : others) {
            writeBytes(dir.file(other), other);
        }
        std::vector<QByteArray> names = folderNames(dir.path());
        ModMain state;
        ScriptedMessages messages;
        {
            platform::TestSeam seam;
            if (!row.fault.isEmpty()) {
                seam.failNth(faults.at(row.fault), 1);
            }
            EXPECT_EQ(StartupSequence(state, messages, dir.path()),
                      row.ending == "SettingsNotSound" ? StartupEnding::SettingsNotSound
                                                       : StartupEnding::SettingsUnreadable);
        }
        EXPECT_EQ(messages.titles(), row.boxes.toStdString());
        EXPECT_EQ(state.settingsPath, dir.file(row.stored));
        if (!row.copy.isEmpty()) {
            names.push_back(row.copy);
            std::sort(names.begin(), names.end());
            EXPECT_EQ(readBytes(dir.file(row.copy)), row.content);
            EXPECT_EQ(readBytes(dir.file(row.stored)), defaultSettingsContent());
        } else {
            EXPECT_EQ(readBytes(dir.file(row.stored)), row.content);
        }
        EXPECT_EQ(folderNames(dir.path()), names);
        for (const QByteArray& other : others) {
            EXPECT_EQ(readBytes(dir.file(other)), other);
        }
    }
}

// The keys of [Main] go through one place and stay keys of [Main]: a default file that
// received them is sound at the next start, which reads them back; a file without them
// starts as it always did. Values that would read back otherwise are refused.
TEST(Startup, StoresAndReadsTheSettingsOfMain) {
    TempDir dir;
    writeBytes(dir.file("ut/System/UnrealTournament.ini"), "");
    writeBytes(dir.file("ut/System64/ut99server.ini"), "");
    const QByteArray path = dir.file("Rendix.ini");

    writeBytes(path, QByteArray(kSound).replace("%UT%", dir.file("ut")));
    ModMain old;
    ScriptedMessages messages;
    platform::TestSeam seam;
    EXPECT_EQ(StartupSequence(old, messages, dir.path()), StartupEnding::Passed);
    EXPECT_EQ(seam.count(Operation::Open), 1);  // one reading serves the whole start
    EXPECT_EQ(old.ConfigFile, "");
    EXPECT_EQ(old.MapsPerList, 32);
    EXPECT_EQ(old.DMExcludes, ExclusionList({"DM-A.unr", "DM-B.unr"}));
    EXPECT_EQ(old.CTFExcludes, ExclusionList({""}));
    EXPECT_EQ(old.ASExcludes, ExclusionList({"AS-D.unr", ""}));

    ASSERT_TRUE(WriteDefaultSettings(path));
    ASSERT_TRUE(writeMainSettings(path, {{"UTDir", dir.file("ut")},
                                         {"ConfigFile", dir.file("ut/System64/ut99server.ini")},
                                         {"MapsPerList", "100"}}));
    ASSERT_TRUE(writeMainSetting(path, "MapsPerList", "4096"));
    const QByteArray stored = readBytes(path);
    for (const QByteArray& refused : {QByteArray(255, 'x'), QByteArray(" /ut"), QByteArray("/ut\t"),
                                      QByteArray("'/ut'"), QByteArray("/ut\r\n[Other]")}) {
        EXPECT_FALSE(writeMainSetting(path, "ConfigFile", refused));
    }
    EXPECT_EQ(readBytes(path), stored);
    ModMain next;
    EXPECT_EQ(StartupSequence(next, messages, dir.path()), StartupEnding::Passed);
    EXPECT_EQ(next.UTDir, dir.file("ut"));
    EXPECT_EQ(next.ConfigFile, dir.file("ut/System64/ut99server.ini"));
    EXPECT_EQ(next.MapsPerList, 4096);
    EXPECT_EQ(next.DMExcludes, ExclusionList({"DM-Tutorial.unr"}));
    EXPECT_TRUE(messages.shown.empty());
}

// data/unreadable-folders.rows: a folder that the game directory test cannot look into is
// named as such, with the system's reason, rather than taken for a folder that holds no game.
TEST(Startup, NamesAGameFolderItCannotRead) {
    if (const char* why = posixFilesUnavailable()) {
        GTEST_SKIP() << why;
    }
    for (const QList<QByteArray>& row : dataTable("unreadable-folders.rows")) {
        SCOPED_TRACE(row[0].constData());
        TempDir dir;
        ASSERT_TRUE(setMode(dir.path(), 0755));
        writeBytes(dir.file("ut/System/UnrealTournament.ini"), "");
        writeBytes(dir.file("Rendix.ini"), QByteArray(kSound).replace("%UT%", dir.file("ut")));
        ASSERT_TRUE(setMode(dir.file(row[0]), row[1].toUInt(nullptr, 8)));
        const QByteArray shown = runAsNobody([&] {
            ModMain state;
            ScriptedMessages messages;
            StartupSequence(state, messages, dir.path());
            return messages.told();
        });
        EXPECT_EQ(shown, QByteArray(row[2]).replace("%DIR%", dir.path()));
    }
}

}  // namespace
}  // namespace rendix::testing
