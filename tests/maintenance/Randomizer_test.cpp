#include <map>
#include <numeric>
#include <set>

#include "ini/IniHandler.h"
#include "maintenance/MaintenanceFixture.h"
#include "maintenance/Randomizer.h"

namespace rendix::testing {

const Command kAllFour = [](ModMain& s, Messages& m) { RandomizeCommand(s, m, {1, 1, 1, 1}); };

TEST(Randomizer, RandomizeCommand) {
    for (const QList<QByteArray>& row : rows("randomize")) {
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

TEST(Randomizer, OneRewriteEqualsThirtyFourSingleWrites) {
    TempDir dir;
    writeBytes(dir.file("single"), data("rewrite-odd"));
    writeBytes(dir.file("together"), data("rewrite-odd"));
    const std::vector<ini::ProfileWrite> writes = mapListWrites(
        kGameTypes[0], {QByteArray("DM-A.unr"), std::nullopt, QByteArray("DM-C.unr")});
    for (const ini::ProfileWrite& w : writes) {
        ASSERT_TRUE(WriteKeyValue(dir.file("single"), w.section, *w.key, w.value).ok);
    }
    ASSERT_TRUE(ini::writeProfileStrings(dir.file("together"), writes).ok);
    EXPECT_EQ(readBytes(dir.file("together")), readBytes(dir.file("single")));
}

}  // namespace rendix::testing
