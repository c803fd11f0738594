#pragma once

#include <QByteArray>

#include <vector>

#include "app/ModMain.h"
#include "ini/Profile.h"
#include "maintenance/Randomizer.h"
#include "platform/Clock.h"
#include "platform/Text.h"
#include "support/TestFiles.h"

// A small game install in a temporary folder for the maintenance tests: "UT/System" with
// UnrealTournament.ini and "UT/Maps", spelled in mixed case as real installs often are, so
// that every lookup goes through the case-insensitive resolver.
namespace rendix::testing {

// 4 December, 23:05:07: backups are named Rendix_UnrealTournament1242357.ini, _2, _3 ...
inline const platform::LocalDateTime kFixedTime{2024, 12, 4, 23, 5, 7};
inline const QByteArray kFixedBackup("Rendix_UnrealTournament1242357");

struct SmallInstall {
    TempDir temp;
    ModMain state;
    QByteArray system = temp.file("UT/System");
    QByteArray maps = temp.file("UT/Maps");
    QByteArray ini = system + "/UnrealTournament.ini";

    explicit SmallInstall(const QByteArray& iniBytes) {
        writeBytes(ini, iniBytes);
        makeFolder(maps);
        state.UTDir = temp.file("UT");
    }
    void addMap(const QByteArray& name) const { writeBytes(maps + '/' + name, {}); }
    void addSystemFile(const QByteArray& name, const QByteArray& bytes = {}) const {
        writeBytes(system + '/' + name, bytes);
    }
    // The names of the backups made at kFixedTime, in the order they were made.
    std::vector<QByteArray> backupNames() const {
        std::vector<QByteArray> names;
        for (int n = 1; exists(system + '/' + backupName(n)); ++n) {
            names.push_back(backupName(n));
        }
        return names;
    }
    // Their contents, in the same order.
    std::vector<QByteArray> backups() const {
        std::vector<QByteArray> contents;
        for (const QByteArray& name : backupNames()) {
            contents.push_back(readBytes(system + '/' + name));
        }
        return contents;
    }
    // Every name in the system folder that starts with "rendix_unrealtournament" in any
    // letter case; must be exactly the backups the run made.
    std::vector<QByteArray> rendixFiles() const {
        std::vector<QByteArray> names;
        for (const QByteArray& name : folderNames(system)) {
            if (name.toLower().startsWith("rendix_unrealtournament")) {
                names.push_back(name);
            }
        }
        return names;
    }
    static QByteArray backupName(int n) {
        return n == 1 ? kFixedBackup + ".ini" : kFixedBackup + '_' + QByteArray::number(n) + ".ini";
    }
};

// The map list of a game type that file content holds.
inline MapList readMapList(const QByteArray& bytes, const GameType& type) {
    const platform::TextFile file = platform::splitLines(bytes);
    MapList list;
    for (int k = 0; k < kMapListSlots; ++k) {
        list[static_cast<std::size_t>(k)] =
            ini::profileValue(file, type.mapListSection, "Maps[" + QByteArray::number(k) + ']');
    }
    return list;
}

// File content after the writes, as the profile layer makes them.
inline QByteArray applyWrites(const QByteArray& bytes,
                              const std::vector<ini::ProfileWrite>& writes) {
    ini::ProfileEditor editor(platform::splitLines(bytes));
    for (const ini::ProfileWrite& write : writes) {
        editor.apply(write);
    }
    return platform::joinLines(editor.file());
}

}  // namespace rendix::testing
