#include <gtest/gtest.h>

#include "app/Install.h"
#include "platform/DataTable.h"
#include "platform/Seam.h"
#include "support/TestFiles.h"

namespace rendix::testing {
namespace {

// Files of a game directory "ut" and a home folder "home" in a temporary folder; a name
// ending in "/" is a folder.
struct Layout {
    explicit Layout(const QByteArrayList& files) {
        seam.setHomeFolder(temp.file("home"));
        for (const QByteArray& file : files) {
            file.endsWith('/') ? makeFolder(temp.file(file)) : writeBytes(temp.file(file), paths);
        }
    }
    QByteArray paths;
    TempDir temp;
    platform::TestSeam seam;
    // Paths relative to the temporary folder, for comparing.
    QByteArray local(const QByteArray& path) const {
        return slashed(path.mid(temp.path().size() + 1));
    }
};

// data/locate.rows
TEST(Install, FindsTheConfigurationFileTheGameReads) {
    for (const QList<QByteArray>& row : dataTable("locate.rows")) {
        SCOPED_TRACE(row[0].constData());
        Layout layout(row[1].split(' '));
        const QByteArray chosen = row[2].isEmpty() ? "" : layout.temp.file(row[2]);
        const Install install = Install::locate(layout.temp.file("ut"), chosen);
        EXPECT_EQ(install.needsChoice() ? "?" : layout.local(install.configFile()), row[3]);
        EXPECT_EQ(isGameDirectory(layout.temp.file("ut"), chosen), row[4] == "yes");
    }
}

// Paths= lines of [Core.System] name the map folders, relative to System whichever build
// runs; each folder and each map counts once.
TEST(Install, ListsTheMapsOfEveryFolderThePathsLinesName) {
    Layout layout({"ut/Maps/DM-A.unr", "ut/Maps/CTF-B.unr", "ut/Others/Maps/dm-a.unr",
                   "ut/Others/Maps/DM-C.unr", "ut/Others/Maps/DM-D.txt", "ut/Textures/"});
    writeBytes(layout.temp.file("ut/System64/UnrealTournament.ini"),
               "[Core.System]\r\nPaths=../System/*.u\r\nPaths=..\\Others\\Maps\\*.unr\r\n"
               "Paths=../Maps/*.unr\r\nPaths=../maps/*.UNR\r\n; Paths=../Textures/*.unr\r\n"
               "Paths=../Textures/*.utx\r\n[Engine.GameEngine]\r\nPaths=../Nowhere/*.unr\r\n");
    const Install install = Install::locate(layout.temp.file("ut"), {});
    QByteArrayList folders;
    for (const SearchFolder& folder : install.mapFolders()) {
        folders << layout.local(folder.folder) + '|' + folder.pattern;
    }
    EXPECT_EQ(folders.join(' '), "ut/Others/Maps|*.unr ut/Maps|*.unr");
    EXPECT_EQ(install.packageFolders().size(), 4u);
    const platform::Listing maps = install.listMaps("dm*.unr");
    EXPECT_EQ(QByteArrayList(maps.names.begin(), maps.names.end()).join(' '), "dm-a.unr DM-C.unr");
    EXPECT_EQ(layout.local(install.findMap("ctf-b.unr")->path), "ut/Maps/CTF-B.unr");
    EXPECT_EQ(install.mapFoldersText(),
              install.mapFolders()[0].folder + ", " + install.mapFolders()[1].folder);
    EXPECT_EQ(layout.local(install.configFolder()), "ut/System64");

    // Without Paths= lines the maps folder is the usual one, named as the folder stores it.
    writeBytes(layout.temp.file("ut/System64/UnrealTournament.ini"), "[Core.System]\r\n");
    EXPECT_EQ(Install::locate(layout.temp.file("ut"), {}).mapFoldersText(),
              layout.temp.file("ut/Maps"));
}

}  // namespace
}  // namespace rendix::testing
