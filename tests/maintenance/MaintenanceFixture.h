#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "app/ModMain.h"
#include "platform/DataTable.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

namespace rendix::testing {

inline const platform::LocalDateTime kFixedTime{2024, 12, 4, 23, 5, 7};
using Command = std::function<void(ModMain&, Messages&)>;

inline QByteArray data(const QByteArray& name, bool lf = false) {
    QByteArray bytes = RENDIX_DATA(name + ".ini");
    return lf ? bytes.replace("\r\n", "\n") : bytes;
}

// Whether names a table gives hold a control character, which only Linux takes in a file
// name: such rows run apart, in a test that Windows skips.
inline bool onlyLinuxNames(const QByteArray& names) {
    return std::any_of(names.begin(), names.end(), [](char c) { return c > 0 && c < 0x20; });
}

// Empty files `names` in UT/<folder> (a name with "/" in UT itself); mixed-case folders make
// lookups go through the resolver.
struct SmallInstall {
    TempDir temp;
    ModMain state;
    QByteArray system = temp.file("UT/System"), ini = pathIn(system, "UnrealTournament.ini");
    ScriptedMessages messages;

    SmallInstall(const QByteArray& iniBytes, const char* folder, const QByteArray& names) {
        writeBytes(ini, iniBytes);
        state.UTDir = temp.file("UT");
        messages.statusText = QStringLiteral("earlier");
        for (const QByteArray& name : names.split(' ')) {
            writeBytes(pathIn(state.UTDir, name.contains('/') ? name : folder + ('/' + name)), {});
        }
    }
    // The names in System but the lock file, which stays once a command took the lock.
    std::vector<QByteArray> files() const {
        std::vector<QByteArray> names = folderNames(system);
        std::erase(names, ".UnrealTournament.ini.lock");
        return names;
    }
    // At kFixedTime, the nth operation of kind `op` failing; returns how many it made.
    int run(const Command& command, platform::Operation op = {}, int n = 0) {
        platform::TestSeam seam;
        seam.setLocalTime(kFixedTime);
        seam.setHomeFolder(temp.file("home"));
        seam.failNth(op, n);
        command(state, messages);
        return seam.count(op);
    }
    // In byte order of the names, which is the order the backups of one second were made in.
    std::vector<QByteArray> backups() const {
        std::vector<QByteArray> contents;
        for (const QByteArray& name : folderNames(system)) {
            if (name.toLower().startsWith("rendix_unrealtournament") &&
                name.toLower().endsWith(".ini")) {
                contents.push_back(readBytes(pathIn(system, name)));
            }
        }
        return contents;
    }
    // "title: text" of each box, a line each, the game directory written "UT" and paths with
    // "/".
    QByteArray shown() const { return slashed(messages.told().replace(state.UTDir, "UT")); }
};

// Fails the nth operation of each kind, n = 1, 2, ... up to a run in which nothing failed.
inline void failEach(const QByteArray& ini, const char* folder, const QByteArray& names,
                     const Command& command, const std::function<void(SmallInstall&)>& check) {
    for (int kind = 0; kind < platform::kOperationCount; ++kind) {
        for (int n = 1, made = 1; made >= n - 1; ++n) {
            SCOPED_TRACE(::testing::Message() << "operation " << kind << " number " << n);
            SmallInstall install(ini, folder, names);
            made = install.run(command, static_cast<platform::Operation>(kind), n);
            check(install);
        }
    }
}

// data/<steps>.rows: files; the n states with their status texts; for each state but the
// last, the boxes that show when the next step fails, each in some run. Whatever fails, the
// file is as after some steps, the backups hold it as before each, one box shows, saying
// what the file holds then, and the status claims no more.
inline void failSteps(const char* steps, const char* folder, const Command& command) {
    const std::vector<QList<QByteArray>> table = dataTable(steps + QByteArray(".rows"));
    std::vector<QByteArray> states;
    for (std::size_t k = 1; k <= table.size() / 2; ++k) {
        states.push_back(data(table[k][0]));
    }
    std::set<QByteArray> unseen;
    for (std::size_t k = states.size() + 1; k < table.size(); ++k) {
        unseen.insert(table[k].begin(), table[k].end());
    }
    failEach(states[0], folder, table[0][0], command, [&](SmallInstall& install) {
        const auto done = std::size_t(
            std::find(states.begin(), states.end(), readBytes(install.ini)) - states.begin());
        ASSERT_LT(done, states.size()) << "the file is in no state the command promises";
        const std::vector<QByteArray> backups = install.backups();
        EXPECT_TRUE(backups.size() - done <= 1 && backups.size() < states.size() &&
                    std::equal(backups.begin(), backups.end(), states.begin()));
        EXPECT_TRUE(table[done + 1].mid(1).contains(install.messages.statusText.toUtf8()));
        EXPECT_TRUE(done + 1 == states.size()
                        ? install.shown().isEmpty()
                        : table[states.size() + 1 + done].contains(install.shown()))
            << install.shown().constData();
        unseen.erase(install.shown());
    });
    EXPECT_EQ(unseen, std::set<QByteArray>());
}

}  // namespace rendix::testing
