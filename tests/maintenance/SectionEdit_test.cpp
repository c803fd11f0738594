#include <random>

#include "maintenance/MaintenanceFixture.h"
#include "maintenance/SectionEdit.h"

namespace rendix::testing {

// Files made of odd lines (headers in other spellings, duplicate, quoted, commented and
// blank keys, every terminator, no final terminator, a byte order mark) and batches of
// writes in runs per section: the one-pass edit gives the profile layer's bytes, or fails
// where it fails.
TEST(SectionEdit, GivesTheBytesOfTheProfileLayer) {
    const QByteArrayList lines{"[Botpack.TDMmaplist]",
                               "[ botpack.tdmmaplist ]x",
                               " [BOTPACK.TDMMAPLIST",
                               "[Other]",
                               "[UTMenu.UTStartGameCW]",
                               "Maps[0]=A",
                               " maps[1] = B ",
                               "Maps[2]=\"Q\"",
                               ";Maps[3]=c",
                               "Maps[4]",
                               "MAPS[5]=A",
                               "Map=old",
                               "GameType=g",
                               "=v",
                               "",
                               "  ",
                               "\t",
                               "Maps[0]=dup",
                               "",
                               "Maps[9]=Z",
                               "[Botpack.TDMmaplist2]"};
    const QByteArrayList ends{"\r\n", "\n", "\r"};
    const QByteArrayList sections{"Botpack.TDMmaplist", " botpack.tdmmaplist", "Botpack.TDMmaplist",
                                  "UTMenu.UTStartGameCW", "New"};
    const QByteArrayList keys{"Maps[0]", "Maps[1]", "maps[2]", "Maps[3]",
                              "Maps[5]", "Maps[9]", "Map",     " GameType "};
    const QList<std::optional<QByteArray>> values{std::nullopt, std::nullopt, "A",  "B",
                                                  "",           "\"Q\"",      " C", "new"};
    std::mt19937 random(469);
    const auto pick = [&](const auto& list) {
        return list[std::uniform_int_distribution<qsizetype>(0, list.size() - 1)(random)];
    };
    TempDir dir;
    // Two files made to order come first: a new key after a removed last one goes before the
    // blank lines above it; a lone CR just before such a blank line ended by LF makes one CR LF.
    const QByteArrayList made{"[Botpack.TDMmaplist]\r\nMaps[0]=A\r\n\r\nMaps[1]=B\r\n\r\n[X]\r\n",
                              "[Botpack.TDMmaplist]\rMaps[1]=B\n\n"};
    for (int round = -2; round < 400; ++round) {
        QByteArray file = random() % 4 == 0 ? "\xEF\xBB\xBF" : "";
        for (int n = int(random() % 14); n > 0; --n) {
            file += pick(lines) + (n > 1 || random() % 3 ? pick(ends) : "");
        }
        std::vector<ini::ProfileWrite> writes;
        if (round < 0) {
            file = made[round + 2];
            writes = {{"Botpack.TDMmaplist", "Maps[1]", {}},
                      {"Botpack.TDMmaplist", "Maps[9]", "Z"}};
        }
        for (int run = int(random() % 3); run >= 0 && round >= 0; --run) {
            const QByteArray section = pick(sections);
            for (int n = int(random() % 10); n >= 0; --n) {
                writes.push_back({section, pick(keys), pick(values)});
            }
        }
        if (random() % 50 == 0) {
            writes.push_back({"Other", "k", QByteArray("line\nbreak")});
        }
        SCOPED_TRACE(file.toPercentEncoding().constData());
        writeBytes(dir.file("profile.ini"), file);
        const bool written = ini::writeProfileStrings(dir.file("profile.ini"), writes).ok;
        QByteArray edited = file;
        ASSERT_EQ(applyKeyWrites(edited, writes).ok, written);
        ASSERT_EQ(written ? edited : file, readBytes(dir.file("profile.ini")));
    }
}

}  // namespace rendix::testing
