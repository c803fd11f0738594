#include <map>
#include <optional>
#include <set>

#include "ini/IniHandler.h"
#include "maintenance/MaintenanceFixture.h"
#include "maintenance/Randomizer.h"

namespace rendix {
namespace {

using namespace testing;

TEST(Randomizer, RandomizeCommand) {
    for (const QList<QByteArray>& row : rows("randomize")) {
        SCOPED_TRACE(row.join('|').constData());
        SmallInstall install(data(row[0]), "Maps", row[1]);
        const QList<QByteArray> excludes = row[2].split(' ');
        std::array<bool, 4> ticked{};
        for (std::size_t t = 0; t < ticked.size(); ++t) {
            ticked[t] = words(row[3]).contains(kGameTypes[t].code);
            install.state.*(kGameTypes[t].excludes) = {excludes.begin(), excludes.end()};
        }
        install.run([&](ModMain& s, Messages& m) { RandomizeCommand(s, m, ticked); });
        EXPECT_EQ(install.shown(), row[4]);
        EXPECT_EQ(install.messages.statusText, QString::fromUtf8(row[5]));
        EXPECT_EQ(readBytes(install.ini), data(row[6]));
        EXPECT_EQ(install.backups().size(), std::size_t(row[7].toInt()));
    }
}

TEST(Randomizer, AFailureStopsAtTheFailingType) {
    failSteps("rand-steps", "Maps", "DM-Solo.unr CTF-Face.unr dom-Cidom.UNR AS-Frigate.unr",
              [](ModMain& s, Messages& m) {
                  RandomizeCommand(s, m, {1, 1, 1, 1});
              });
}

// Half the runs with the steady clock frozen: the rejection loop must end all the same.
// With 7 degrees of freedom, chance exceeds a chi-square of 40 once in a million runs.
TEST(Randomizer, ShuffleDrawsDistinctCandidatesEachAsOftenFirst) {
    for (const int count : {1, 8, 32, 33, 500}) {
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
        double chiSquare = 0;
        for (const auto& [name, times] : first) {
            chiSquare += (times - 500) * (times - 500) / 500;
        }
        EXPECT_TRUE(count != 8 || (first.size() == 8 && chiSquare < 40)) << chiSquare;
    }
}

// One rewrite must leave the file as the type's 34 single WriteKeyValue calls would.
TEST(Randomizer, OneRewriteEqualsThirtyFourSingleWrites) {
    const MapList list{QByteArray("DM-A.unr"), std::nullopt, QByteArray("DM-C.unr")};
    for (const QByteArray& file : {data("rand.0", true), data("rewrite-odd")}) {
        TempDir dir;
        writeBytes(dir.file("single"), file);
        writeBytes(dir.file("together"), file);
        const std::vector<ini::ProfileWrite> writes = mapListWrites(kGameTypes[0], list);
        for (const ini::ProfileWrite& w : writes) {
            ASSERT_TRUE(WriteKeyValue(dir.file("single"), w.section, *w.key, w.value).ok);
        }
        ASSERT_TRUE(ini::writeProfileStrings(dir.file("together"), writes).ok);
        EXPECT_TRUE(writes.size() == 34 &&
                    readBytes(dir.file("together")) == readBytes(dir.file("single")));
    }
}

}  // namespace
}  // namespace rendix
