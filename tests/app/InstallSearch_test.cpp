#include <gtest/gtest.h>

#include <filesystem>

#include "app/InstallSearch.h"
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
        for (const QByteArray& spec : files) {
            const QByteArray file = expand(spec);
            if (const qsizetype arrow = file.indexOf(" -> "); arrow > 0) {
                makeFolder(temp.file(file.left(arrow).left(file.left(arrow).lastIndexOf('/'))));
                std::filesystem::create_directory_symlink(file.mid(arrow + 4).constData(),
                                                          temp.file(file.left(arrow)).constData());
            } else if (const qsizetype colon = file.indexOf(": "); colon > 0) {
                writeBytes(temp.file(file.left(colon)), file.mid(colon + 2).replace("\\n", "\n"));
            } else {
                writeBytes(temp.file(file), file.endsWith(".ini") ? "[Engine.Engine]\r\n" : "");
            }
        }
    }
    QByteArray expand(QByteArray text) const { return text.replace("%T%", temp.path()); }
    TempDir temp;
    platform::TestSeam seam;
};

const QByteArray kUt = "System/UnrealTournament.ini";

// Each source, as the launchers write their files; found are exactly the installs there are,
// each once, in the order of the sources, as "directory|configuration file|found by" (the file
// named within the directory).
TEST(InstallSearch, FindsExactlyTheInstallsTheLaunchersNameOnce) {
    if (const char* why = linuxLauncherPlacesUnavailable()) {
        GTEST_SKIP() << why;
    }
    const struct {
        const char* name;
        QByteArrayList files;
        QByteArray stored;
        QByteArrayList found;
        bool ownDataHome = false;
    } rows[] = {
        {"nothing", {"home/Documents/notes.txt"}, "", {}},
        {"every source",
         {"home/.local/share/OldUnreal/UnrealTournament/System64/UnrealTournament.ini",
          "Games/UT469/System64/UnrealTournament.ini",
          "home/.local/share/applications/oldunreal-ut.desktop: [Desktop Entry]\\nName=UT\\n"
          "Exec=\"%T%/Games/UT469/System64/ut-bin-amd64\" %U\\n",
          "home/.local/share/applications/firefox.desktop: [Desktop Entry]\\nExec=firefox %u\\n",
          "home/.local/share/Steam/steamapps/libraryfolders.vdf: \"libraryfolders\"\\n{\\n"
          "\t\"0\"\\n\t{\\n\t\t\"path\"\t\t\"%T%/home/.local/share/"
          "Steam\"\\n\t\t\"apps\"\\n\t\t{\\n"
          "\t\t}\\n\t}\\n\t\"1\"\\n\t{\\n\t\t\"path\"\t\t\"%T%/disk2/SteamLibrary\"\\n\t}\\n}\\n",
          "home/.steam/steam -> %T%/home/.local/share/Steam",
          "disk2/SteamLibrary/steamapps/common/Unreal Tournament/" + kUt,
          "home/.config/heroic/gog_store/installed.json: {\"installed\": [{\"platform\": "
          "\"windows\", \"install_path\": \"%T%/Games/Heroic/Unreal Tournament GOTY\"}, "
          "{\"install_path\": \"%T%/Games/Heroic/Other\"}]}",
          "Games/Heroic/Unreal Tournament GOTY/" + kUt, "Games/Heroic/Other/System/Core.u",
          "home/.local/share/lutris/games/ut-1.yml: game:\\n  exe: "
          "'%T%/Games/lutris/drive_c/UnrealTournament/System/UnrealTournament.exe'\\n"
          "  prefix: %T%/Games/lutris\\n",
          "Games/lutris/drive_c/UnrealTournament/" + kUt,
          "home/.wine/drive_c/GOG Games/Unreal Tournament GOTY/" + kUt,
          "home/.wine/drive_c/GOG Games/Unreal Gold/" + kUt,
          "home/serverfiles/System64/ut99server.ini", "home/ut99server: #!/bin/bash"},
         "%T%/home/.local/share/OldUnreal/UnrealTournament",
         {"%T%/home/.local/share/OldUnreal/UnrealTournament|System64/UnrealTournament.ini|settings",
          "%T%/Games/UT469|System64/UnrealTournament.ini|OldUnreal installer",
          "%T%/disk2/SteamLibrary/steamapps/common/Unreal Tournament|" + kUt + "|Steam",
          "%T%/Games/Heroic/Unreal Tournament GOTY|" + kUt + "|Heroic",
          "%T%/Games/lutris/drive_c/UnrealTournament|" + kUt + "|Lutris",
          "%T%/home/.wine/drive_c/GOG Games/Unreal Tournament GOTY|" + kUt + "|Wine",
          "%T%/home/serverfiles|System64/ut99server.ini|LinuxGSM"}},
        {"damaged files skipped",
         {"home/.steam/steam/steamapps/libraryfolders.vdf: \"libraryfolders\" { \"1\" { \"path\" "
          "\"%T%/disk2/Lib",
          "home/.steam/steam/steamapps/common/Unreal Tournament/" + kUt,
          "disk2/Lib/steamapps/common/Unreal Tournament/" + kUt,
          "home/.local/share/Steam/steamapps/libraryfolders.vdf: \"libraryfolders\" { \"1\" "
          "{ \"path\" \"%T%/disk2/Lib\" } } }",
          "home/.config/heroic/gog_store/installed.json: {\"installed\": [{\"install_path\": "
          "\"%T%/disk2/Lib/steamapps/common/Unreal Tournament\"}",
          "home/.config/lutris/games/ut.yml: \x01\x02\xff exe",
          "home/.wine/drive_c/UnrealTournament/System/unrealtournament.ini"},
         "%T%/nowhere",
         {"%T%/home/.steam/steam/steamapps/common/Unreal Tournament|" + kUt + "|Steam"}},
        {"older forms",
         {"home/.var/app/com.valvesoftware.Steam/data/Steam/steamapps/libraryfolders.vdf: "
          "// written by Steam\\n\"LibraryFolders\" { \"TimeNextStatsReport\" \"1\" \"1\" "
          "\"%T%/old\" }",
          "old/SteamApps/common/Unreal Tournament/" + kUt,
          "home/.var/app/com.heroicgameslauncher.hgl/config/heroic/gog_store/installed.json: "
          "[{\"install_path\": \"%T%/h\"}]",
          "h/System/ut99server.ini", "h/System/UnrealTournament.ini",
          "h/System64/UnrealTournament.ini"},
         "",
         {"%T%/old/SteamApps/common/Unreal Tournament|" + kUt + "|Steam", "%T%/h|-|Heroic"}},
        {"own data home, two LinuxGSM instances",
         {"data/OldUnreal/UnrealTournament/" + kUt,
          "home/.local/share/OldUnreal/UnrealTournament/" + kUt,
          "data/applications/ut.desktop: Exec=env A=1 \"%T%/u\\sx/System/ucc-bin-x86\" server",
          "u x/System/UnrealTournament.ini", "home/serverfiles/System/ut99server.ini",
          "home/serverfiles/System/ut99-ctf.ini", "home/ut99server", "home/ut99-ctf",
          "home/lgsm/config-lgsm/ut99server/ut99-ctf.cfg",
          "home/lgsm/config-lgsm/ut99server/_default.cfg"},
         "",
         {"%T%/data/OldUnreal/UnrealTournament|" + kUt + "|OldUnreal installer",
          "%T%/u x|" + kUt + "|OldUnreal installer", "%T%/home/serverfiles|-|LinuxGSM"},
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Computer computer(row.files, row.ownDataHome);
        QByteArrayList found;
        for (const FoundInstall& install : findInstalls(computer.expand(row.stored))) {
            const QByteArray config = install.configFile.isEmpty() ? "-" : install.configFile;
            found << install.gameDir + '|' + QByteArray(config).replace(install.gameDir + '/', "") +
                         '|' + install.foundBy;
        }
        QByteArrayList expected;
        for (const QByteArray& line : row.found) {
            expected << computer.expand(line);
        }
        EXPECT_EQ(found.join('\n').toStdString(), expected.join('\n').toStdString());
    }
}

}  // namespace
}  // namespace rendix::testing
