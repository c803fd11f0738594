#include <gtest/gtest.h>

#include <filesystem>

#include "app/InstallSearch.h"
#include "platform/DataTable.h"
#include "platform/Seam.h"
#include "support/TestFiles.h"

namespace rendix::testing {
namespace {

// A fake home folder "home" and other disks in a temporary folder %T%. Files: "path" (a
// game's configuration file when it ends in ".ini", else empty), "path: content" or
// "path -> target" (a symbolic link).
struct Computer {
    Computer(const QByteArrayList& files, bool ownDataHome) {
        seam.setHomeFolder(temp.file("home"));
        if (ownDataHome) {
            seam.setDataHome(temp.file("data/"));
        }
        for (const QByteArray& entry : files) {
            const QByteArray file = expand(entry);
            if (const qsizetype arrow = file.indexOf(" -> "); arrow > 0) {
                const QByteArray link = file.left(arrow);
                makeFolder(temp.file(link.left(link.lastIndexOf('/'))));
                std::filesystem::create_directory_symlink(file.mid(arrow + 4).constData(),
                                                          temp.file(link).constData());
            } else if (const qsizetype colon = file.indexOf(": "); colon > 0) {
                writeBytes(temp.file(file.left(colon)), file.mid(colon + 2));
            } else {
                writeBytes(temp.file(file), file.endsWith(".ini") ? "[Engine.Engine]\r\n" : "");
            }
        }
    }
    QByteArray expand(QByteArray text) const { return text.replace("%T%", temp.path()); }
    TempDir temp;
    platform::TestSeam seam;
};

// data/search.rows: each source, as the launchers write their files; found are exactly the
// installs there are, each once, in the order of the sources.
TEST(InstallSearch, FindsExactlyTheInstallsTheLaunchersNameOnce) {
    if (const char* why = linuxLauncherPlacesUnavailable()) {
        GTEST_SKIP() << why;
    }
    std::vector<QList<QByteArray>> table = dataTable("search.rows");
    table.push_back({"case"});  // ends the last case
    QList<QByteArray> head;
    QByteArrayList files, expected;
    for (const QList<QByteArray>& row : table) {
        if (row[0] == "file") {
            files << row[1];
        } else if (row[0] == "found") {
            expected << row.mid(1).join('|');
        } else if (!head.isEmpty()) {
            SCOPED_TRACE(head[1].constData());
            Computer computer(files, head[3] == "yes");
            QByteArrayList found;
            for (const FoundInstall& install : findInstalls(computer.expand(head[2]))) {
                const QByteArray config = install.configFile.isEmpty() ? "-" : install.configFile;
                found << install.gameDir + '|' +
                             QByteArray(config).replace(install.gameDir + '/', "") + '|' +
                             install.foundBy;
            }
            EXPECT_EQ(found.join('\n').toStdString(),
                      computer.expand(expected.join('\n')).toStdString());
        }
        if (row[0] == "case") {
            head = row;
            files.clear();
            expected.clear();
        }
    }
}

}  // namespace
}  // namespace rendix::testing
