#include <map>
#include <numeric>
#include <set>

#include "ini/IniHandler.h"
#include "ini/Profile.h"
#include "maintenance/MaintenanceFixture.h"
#include "maintenance/Randomizer.h"
#include "support/GameInstall.h"

namespace rendix::testing {

const Command kAllFour = [](ModMain& s, Messages& m) { RandomizeCommand(s, m, {1, 1, 1, 1}); };

// The rows of randomize.rows whose map names hold control characters or not.
void randomizeRows(bool withOnlyLinuxNames) {
    for (const QList<QByteArray>& row : rows("randomize")) {
        if (onlyLinuxNames(row[1]) != withOnlyLinuxNames) {
            continue;
        }
        SCOPED_TRACE(row.join('|').constData());
        SmallInstall install(data(row[0]), "Maps", row[1]);
        const QList<QByteArray> excludes = row[2].split(' ');
        std::array<bool, 4> ticked{};
        for (std::size_t t = 0; t < ticked.size(); ++t) {
            ticked[t] = row[3].split(' ').contains(kGameTypes[t].code);
            install.state.*(kGameTypes[t].excludes) = {excludes.begin(), excludes.end()};
        }
        install.run([&](ModMain& s, Messages& m) { RandomizeCommand(s, m, ticked); });
        EXPECT_EQ(install.shown() + '|' + install.messages.statusText.toUtf8(),
                  row[4] + '|' + row[5]);
        EXPECT_EQ(readBytes(install.ini), data(row[6]));
        EXPECT_EQ(install.backups().size(), std::size_t(row[7].toInt()));
    }
}

TEST(Randomizer, RandomizeCommand) {
    randomizeRows(false);
}

TEST(Randomizer, RandomizeCommandSkipsNamesWithControlCharacters) {
    if (const char* why = posixNamesUnavailable()) {
        GTEST_SKIP() << why;
    }
    randomizeRows(true);
}

TEST(Randomizer, AFailureStopsAtTheFailingType) {
    failSteps("rand-steps", "Maps", kAllFour);
}

// Half the runs with the clock frozen. 7 degrees of freedom: 40 is exceeded once in 10^6 runs.
TEST(Randomizer, ShuffleDrawsDistinctCandidatesEachAsOftenFirst) {
    for (const int count : {1, 8, 32, 33, 40, 500}) {
        std::vector<QByteArray> candidates(static_cast<std::size_t>(count));
        std::generate(candidates.begin(), candidates.end(),
                      [n = 0]() mutable { return QByteArray::number(n++); });
        std::map<QByteArray, double> first;
        for (int run = 0; run < 4000; ++run) {
            platform::TestSeam seam;
            if (run % 2) {
                seam.freezeSteadyClock(run);
            }
            const MapList list = shuffleMapList(candidates);
            const std::set<std::optional<QByteArray>> drawn(list.begin(), list.end());
            ASSERT_TRUE(drawn.size() == std::size_t(std::min(count, 32) + (count < 32)) &&
                        std::is_partitioned(list.begin(), list.end(), [](auto& s) { return s; }));
            ++first[*list[0]];
        }
        const double chiSquare =
            std::accumulate(first.begin(), first.end(), 0.0, [](double sum, const auto& entry) {
                return sum + (entry.second - 500) * (entry.second - 500) / 500;
            });
        EXPECT_TRUE(count != 8 || (first.size() == 8 && chiSquare < 40)) << chiSquare;
    }
}

// The key names of the DM list section, runs of Maps[k] written "Maps[a-b]".
QByteArray sectionSummary(const QByteArray& file) {
    QByteArrayList parts;
    qsizetype runStart = -1, last = -2;
    const auto close = [&] {
        if (runStart >= 0) {
            parts << "Maps[" + QByteArray::number(runStart) +
                         (last > runStart ? '-' + QByteArray::number(last) : "") + ']';
        }
        runStart = -1;
    };
    for (const QByteArray& key : ini::profileKeyNames(file, "Botpack.TDMmaplist")) {
        const qsizetype k = key.startsWith("Maps[") ? key.mid(5).chopped(1).toLongLong() : -1;
        if (k < 0 || k != last + 1 || runStart < 0) {
            close();
            runStart = k;
        }
        last = k;
        if (k < 0) {
            parts << key;
        }
    }
    close();
    return parts.join(' ');
}

// The list is as long as the setting, and nothing of an older, longer list stays in the
// rotation, whatever the new length.
TEST(Randomizer, MapsPerList) {
    struct Row {
        int slots;
        int maps;
        const char* keys;
    };
    const Row table[] = {
        {100, 150, "Maps[0-99] MapNum"},  // longer than the old list
        {100, 10, "Maps[0-9] MapNum"},    // fewer maps than slots
        {4096, 40, "Maps[0-39] MapNum"},
        {10, 150, "Maps[0-9] MapNum"},  // shorter than the 32 every game reads
        {32, 150, "Maps[0-31] MapNum"},
        {32, 5, "Maps[0-4] MapNum"},
    };
    QByteArray ini("[Botpack.TDMmaplist]\r\n");
    for (int k = 0; k < 150; ++k) {
        ini += "Maps[" + QByteArray::number(k) + "]=DM-Old.unr\r\n";
    }
    ini += "maps[200]=DM-Old.unr\r\nMaps[4095]=DM-Old.unr\r\nMapNum=3\r\n";
    for (const Row& row : table) {
        SCOPED_TRACE(row.slots);
        QByteArray names;
        for (int m = 0; m < row.maps; ++m) {
            names += " DM-" + QByteArray::number(1000 + m) + ".unr";
        }
        SmallInstall install(ini, "Maps", names.mid(1));
        install.state.MapsPerList = row.slots;
        install.run([](ModMain& s, Messages& m) { RandomizeCommand(s, m, {1, 0, 0, 0}); });
        const QByteArray out = readBytes(install.ini);
        EXPECT_EQ(sectionSummary(out), row.keys);
        std::set<QByteArray> written;
        for (int k = 0; k < std::min(row.slots, row.maps); ++k) {
            const auto value =
                ini::profileValue(out, "Botpack.TDMmaplist", "Maps[" + QByteArray::number(k) + ']');
            ASSERT_TRUE(value && value->startsWith("DM-1"));
            written.insert(*value);
        }
        EXPECT_EQ(written.size(), std::size_t(std::min(row.slots, row.maps)));
        EXPECT_EQ(ini::profileValue(out, "UTMenu.UTStartGameCW", "Map"),
                  ini::profileValue(out, "Botpack.TDMmaplist", "Maps[0]"));
    }
}

// A 469c install: its System64/UnrealTournament.ini is edited in place with its backup
// beside it, and the maps of its second map folder reach the list.
TEST(Randomizer, Patch469cInstall) {
    TempDir temp;
    const GameInstall game =
        makeGameInstall(temp.file("UT"), {.layout = Layout::Patch469c, .bonusMapsPerType = 2});
    ModMain state;
    state.UTDir = game.root;
    state.MapsPerList = kMaxMapsPerList;
    ScriptedMessages messages;
    platform::TestSeam seam;
    RandomizeCommand(state, messages, {1, 0, 0, 0});
    EXPECT_EQ(messages.statusText.toStdString(), "Found 30 Deathmatch maps... randomized list.");
    const QByteArray out = readBytes(game.ini);
    EXPECT_EQ(sectionSummary(out), "Maps[0-29] MapNum");
    EXPECT_TRUE(out.contains("=DM-Bonus001.unr\r\n") && out.contains("=DM-Bonus002.unr\r\n"));
    EXPECT_EQ(platform::parentPath(state.LastBackup), pathIn(game.root, "System64"));
    EXPECT_FALSE(exists(pathIn(game.system, "UnrealTournament.ini")));
}

}  // namespace rendix::testing
