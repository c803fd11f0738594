#include <gtest/gtest.h>

#include "app/Install.h"
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

TEST(Install, FindsTheConfigurationFileTheGameReads) {
    struct Row {
        const char* name;
        QByteArrayList files;
        QByteArray chosen;
        QByteArray inEffect;  // "?" when the user has to choose
        bool gameDirectory;
    };
    const Row rows[] = {
        {"classic", {"ut/System/UnrealTournament.ini"}, "", "ut/System/UnrealTournament.ini", true},
        {"64-bit only",
         {"ut/system64/UnrealTournament.ini"},
         "",
         "ut/system64/UnrealTournament.ini",
         true},
        {"lower-case name", {"ut/System/unrealtournament.ini"}, "", "", false},
        {"per-user copy",
         {"ut/SystemARM64/", "home/.utpg/System/UnrealTournament.ini"},
         "",
         "home/.utpg/System/UnrealTournament.ini",
         true},
        {"no program folder",
         {"home/.utpg/System/UnrealTournament.ini"},
         "",
         "home/.utpg/System/UnrealTournament.ini",
         false},
        {"several",
         {"ut/System/UnrealTournament.ini", "ut/System64/UnrealTournament.ini"},
         "",
         "?",
         true},
        {"several, one chosen",
         {"ut/System/UnrealTournament.ini", "ut/System64/UnrealTournament.ini"},
         "ut/System64/UnrealTournament.ini",
         "ut/System64/UnrealTournament.ini",
         true},
        {"server file chosen",
         {"ut/System64/ut99server.ini"},
         "ut/System64/ut99server.ini",
         "ut/System64/ut99server.ini",
         true},
        {"chosen file gone", {"ut/System64/"}, "ut/System64/ut99server.ini", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Layout layout(row.files);
        const QByteArray chosen = row.chosen.isEmpty() ? "" : layout.temp.file(row.chosen);
        const Install install = Install::locate(layout.temp.file("ut"), chosen);
        EXPECT_EQ(install.needsChoice() ? "?" : layout.local(install.configFile()), row.inEffect);
        EXPECT_EQ(isGameDirectory(layout.temp.file("ut"), chosen), row.gameDirectory);
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
