#include <gtest/gtest.h>

#include "app/SysInfo.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

namespace rendix {
namespace {

// The registry names the program by its path (first value), which is started without a
// look, or, only where the first value is missing, by the folder that holds MSINFO32.EXE
// (second value). An empty value cannot be read, and the message follows at once.
TEST(StartSysInfo, StartsTheProgramTheRegistryNamesOrSaysItIsUnavailable) {
    testing::TempDir temp;
    testing::writeBytes(temp.file("with/MSINFO32.EXE"), "MZ");
    const struct {
        const char* name;
        std::optional<QByteArray> path, folder;
        bool startsSucceed;
        std::vector<QByteArray> started;
    } rows[] = {
        {"path", QByteArray("C:\\msinfo32.exe\0", 16), {}, true, {"C:\\msinfo32.exe"}},
        {"start fails", "C:\\msinfo32.exe", {}, false, {"C:\\msinfo32.exe"}},
        {"folder", {}, temp.file("with"), true, {temp.file("with/MSINFO32.EXE")}},
        {"folder without the program", {}, temp.file("without"), true, {}},
        {"neither", {}, {}, true, {}},
        {"zero-length path", "", temp.file("with"), true, {}},  // fails; no second look
        {"zero-length folder", {}, "", true, {}},
    };
    const auto root = platform::kHkeyLocalMachine;
    const QByteArray key = "SOFTWARE\\Microsoft\\Shared Tools";
    const Message unavailable{QStringLiteral("System Information Is Unavailable At This Time"),
                              QStringLiteral("Rendix")};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        platform::TestSeam seam;
        seam.setStartsSucceed(row.startsSucceed);
        if (row.path)
            seam.setRegistryValue(root, key + "\\MSINFO", "PATH", {1, *row.path});
        if (row.folder)
            seam.setRegistryValue(root, key + " Location", "MSINFO", {1, *row.folder});
        testing::ScriptedMessages messages;
        StartSysInfo(messages);
        EXPECT_EQ(seam.startedPrograms(), row.started);
        EXPECT_EQ(messages.shown,
                  std::vector<Message>(row.started.empty() || !row.startsSucceed, unavailable));
    }
}

}  // namespace
}  // namespace rendix
