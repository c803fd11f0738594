#include <map>
#include <numeric>
#include <set>

#include "ini/Profile.h"
#include "maintenance/MaintenanceFixture.h"
#include "maintenance/Randomizer.h"

namespace rendix::testing {

const Command kAllFour = [](ModMain& s, Messages& m) { RandomizeCommand(s, m, {1, 1, 1, 1}); };

// The rows of randomize.rows whose map names hold control characters or not.
void randomizeRows(bool withOnlyLinuxNames) {
    for (const QList<QByteArray>& row : dataTable("randomize.rows")) {
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

// The list is as long as the setting, and nothing of an older, longer list stays in the
// rotation, whatever the new length: the section keeps Maps[0] up to the list's length, each
// a new map once, and MapNum; the start map is the list's first.
TEST(Randomizer, MapsPerList) {
    QByteArray ini("[Botpack.TDMmaplist]\r\n");
    for (int k = 0; k < 150; ++k) {
        ini += "Maps[" + QByteArray::number(k) + "]=DM-Old.unr\r\n";
    }
    ini += "maps[200]=DM-Old.unr\r\nMaps[4095]=DM-Old.unr\r\nMapNum=3\r\n";
    // slots, maps: longer than the old list, fewer maps than slots, shorter than the 32 every
    // game reads
    const std::pair<int, int> lengths[] = {{100, 150}, {100, 10}, {4096, 40},
                                           {10, 150},  {32, 150}, {32, 5}};
    for (const auto& [slots, maps] : lengths) {
        SCOPED_TRACE(slots);
        QByteArray names;
        for (int m = 0; m < maps; ++m) {
            names += " DM-" + QByteArray::number(1000 + m) + ".unr";
        }
        SmallInstall install(ini, "Maps", names.mid(1));
        install.state.MapsPerList = slots;
        install.run([](ModMain& s, Messages& m) { RandomizeCommand(s, m, {1, 0, 0, 0}); });
        const QByteArray out = readBytes(install.ini);
        std::vector<QByteArray> keys;
        std::set<QByteArray> written;
        for (int k = 0; k < std::min(slots, maps); ++k) {
            keys.push_back("Maps[" + QByteArray::number(k) + ']');
            written.insert(ini::profileValue(out, "Botpack.TDMmaplist", keys.back()).value_or(""));
        }
        EXPECT_TRUE(written.size() == keys.size() && written.begin()->startsWith("DM-1") &&
                    written.rbegin()->startsWith("DM-1"));
        keys.push_back("MapNum");
        EXPECT_EQ(ini::profileKeyNames(out, "Botpack.TDMmaplist"), keys);
        EXPECT_EQ(ini::profileValue(out, "UTMenu.UTStartGameCW", "Map"),
                  ini::profileValue(out, "Botpack.TDMmaplist", "Maps[0]"));
    }
}

}  // namespace rendix::testing
