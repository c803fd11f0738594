#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <set>

#include "app/Failures.h"
#include "ini/IniHandler.h"
#include "maintenance/MaintenanceFixture.h"
#include "maintenance/Randomizer.h"
#include "platform/Seam.h"
#include "platform/Text.h"
#include "support/ScriptedMessages.h"

namespace rendix {
namespace {

using testing::applyWrites;
using testing::readMapList;
using testing::ScriptedMessages;
using testing::SmallInstall;

QByteArray withLineEnds(QByteArray text, const QByteArray& lineEnd) {
    return text.replace("\n", lineEnd);
}

QByteArray oldDmList() {
    QByteArray lines;
    for (int k = 0; k < 32; ++k) {
        lines += "Maps[" + QByteArray::number(k) + "]=DM-Old" + QByteArray::number(k) + ".unr\n";
    }
    return lines;
}

// DM has a full list from an earlier run and a Maps[32]; CTF and AS have no section yet.
const QByteArray kIni = "[URL]\nMap=Index.unr\n\n[Botpack.TDMmaplist]\n" + oldDmList() +
                        "Maps[32]=DM-Keep.unr\nMapNum=3\n\n[Botpack.DOMmaplist]\nMapNum=0\n\n"
                        "[UTMenu.UTStartGameCW]\nMap=DM-Old0.unr\nGameType=BotPack.DeathMatchPlus\n"
                        "bUseTranslocator=True\n\n[Engine.GameEngine]\nServerPackages=Botpack\n";

std::vector<QByteArray> numbered(const char* prefix, int count) {
    std::vector<QByteArray> names;
    for (int i = 1; i <= count; ++i) {
        names.push_back(prefix + QByteArray::number(i) + ".unr");
    }
    return names;
}

// The maps a type may write: its files without control characters and exact exclusions.
std::vector<QByteArray> expectedCandidates(const std::vector<QByteArray>& files,
                                           const ExclusionList& excludes) {
    std::vector<QByteArray> kept;
    for (const QByteArray& name : files) {
        if (!platform::holdsControlCharacter(name) &&
            std::find(excludes.begin(), excludes.end(), name) == excludes.end()) {
            kept.push_back(name);
        }
    }
    return kept;
}

// Slots 0 to min(N, 32) - 1 hold distinct candidates, the others nothing.
void expectValidList(const MapList& list, const std::vector<QByteArray>& candidates) {
    const std::size_t filled = std::min<std::size_t>(candidates.size(), kMapListSlots);
    std::set<QByteArray> seen;
    for (std::size_t k = 0; k < list.size(); ++k) {
        SCOPED_TRACE(k);
        if (k >= filled) {
            EXPECT_FALSE(list[k].has_value());
            continue;
        }
        ASSERT_TRUE(list[k].has_value());
        EXPECT_NE(std::find(candidates.begin(), candidates.end(), *list[k]), candidates.end());
        EXPECT_TRUE(seen.insert(*list[k]).second) << "twice: " << list[k]->constData();
    }
}

struct RandomizeCase {
    const char* name;
    std::array<std::vector<QByteArray>, 4> maps;
    std::array<bool, 4> ticked;
    std::vector<QString> expectedStatus;
    std::vector<const char*> noMapsBoxes;  // codes of the types whose "Error" box shows
    std::array<ExclusionList, 4> excludes{};
    QString statusBefore = QStringLiteral("earlier");
    QByteArray lineEnd = "\r\n";
};

QString s(const char* text) {
    return QString::fromUtf8(text);
}

TEST(Randomizer, RandomizeCommand) {
    const std::vector<QByteArray> three{"DM-A.unr", "DM-B.unr", "DM-C.unr"};
    const std::vector<RandomizeCase> cases{
        {"one candidate removes Maps[1] to Maps[31]",
         {{{"DM-Solo.unr"}}},
         {true, false, false, false},
         {s("Found 1 Deathmatch maps..."), s("Found 1 Deathmatch maps... randomized list.")},
         {}},
        {"exactly 32 candidates",
         {{{}, numbered("CTF-Map", 32)}},
         {false, true, false, false},
         {s(""), s("Found 32 CTF maps..."), s("Found 32 CTF maps... randomized list.")},
         {}},
        {"40 candidates write 32",
         {{{}, {}, numbered("DOM-Map", 40)}},
         {false, false, true, false},
         {s(""), s("Found 40 Domination maps..."),
          s("Found 40 Domination maps... randomized list.")},
         {}},
        {"ten over a full list, LF file",
         {{numbered("DM-Map", 10)}},
         {true, false, false, false},
         {s("Found 10 Deathmatch maps..."), s("Found 10 Deathmatch maps... randomized list.")},
         {},
         {},
         s("earlier"),
         "\n"},
        {"exclusions compare with case",
         {{{"DM-Tutorial.unr", "DM-Deck16][.unr", "DM-Fractal.unr"}}},
         {true, false, false, false},
         {s("Found 2 Deathmatch maps..."), s("Found 2 Deathmatch maps... randomized list.")},
         {},
         {{{"dm-tutorial.unr", "DM-Deck16][.unr", ""}}}},
        {"pattern ignores case",
         {{{}, {}, {}, {"as-frigate.UNR", "AS-Rook.unr"}}},
         {false, false, false, true},
         {s(""), s("Found 2 Assault maps..."), s("Found 2 Assault maps... randomized list.")},
         {}},
        {"all four, DOM without maps",
         {{three, {"CTF-A.unr", "CTF-B.unr", "CTF-C.unr"}, {}, {"AS-A.unr", "AS-B.unr"}}},
         {true, true, true, true},
         {s("Found 3 Deathmatch maps..."), s("Found 3 Deathmatch maps... randomized list."), s(""),
          s("Found 3 CTF maps..."), s("Found 3 CTF maps... randomized list."), s(""), s(""),
          s("Found 2 Assault maps..."), s("Found 2 Assault maps... randomized list."),
          s("Randomized all map lists.")},
         {"DOM"}},
        {"DM and CTF ticked",
         {{three, {"CTF-A.unr", "CTF-B.unr", "CTF-C.unr"}, {"DOM-A.unr"}, {"AS-A.unr"}}},
         {true, true, false, false},
         {s("Found 3 Deathmatch maps..."), s("Found 3 Deathmatch maps... randomized list."), s(""),
          s("Found 3 CTF maps..."), s("Found 3 CTF maps... randomized list.")},
         {}},
        {"none ticked", {{three, {"CTF-A.unr"}}}, {false, false, false, false}, {}, {}},
        {"DM without maps keeps the status", {}, {true, false, false, false}, {}, {"DM"}},
        {"CTF without maps empties the status", {}, {false, true, false, false}, {s("")}, {"CTF"}},
        {"all excluded",
         {{{}, {"CTF-A.unr"}}},
         {false, true, false, false},
         {s(""), s("Found 0 CTF maps..."), s("Found 0 CTF maps... all excluded, list unchanged.")},
         {},
         {{{}, {"CTF-A.unr"}}}},
        {"control characters skipped",
         {{{"DM-Bad\nName.unr", "DM-Tab\tName.unr", "DM-Good.unr"}}},
         {true, false, false, false},
         {s("Found 1 Deathmatch maps..."), s("Found 1 Deathmatch maps... randomized list.")},
         {}},
        {"only control-character names",
         {{{"DM-Bad\rName.unr"}}},
         {true, false, false, false},
         {},
         {"DM"}},
    };
    for (const RandomizeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray original = withLineEnds(kIni, c.lineEnd);
        SmallInstall install(original);
        for (const std::vector<QByteArray>& names : c.maps) {
            for (const QByteArray& name : names) {
                install.addMap(name);
            }
        }
        install.addMap("Notes.txt");
        for (std::size_t t = 0; t < kGameTypes.size(); ++t) {
            install.state.*(kGameTypes[t].excludes) = c.excludes[t];
        }
        ScriptedMessages messages;
        messages.statusText = c.statusBefore;
        {
            platform::TestSeam seam;
            seam.setLocalTime(testing::kFixedTime);
            RandomizeCommand(install.state, messages, c.ticked);
        }

        EXPECT_EQ(messages.statusHistory, c.expectedStatus);
        EXPECT_EQ(messages.statusText,
                  c.expectedStatus.empty() ? c.statusBefore : c.expectedStatus.back());
        std::vector<Message> boxes;
        for (const char* code : c.noMapsBoxes) {
            boxes.push_back({s("No ") + s(code) + s(" maps were found in ") +
                                 QFile::decodeName(install.state.UTDir) + s("/maps."),
                             s("Error"), MessageButtons::Ok, MessageAnswer::Ok, MessageIcon::None});
        }
        EXPECT_EQ(messages.shown, boxes);
        EXPECT_EQ(messages.busyChanges, (std::vector<bool>{true, false}));

        // Rebuild the file from the lists it now holds: every other byte must be as before,
        // and each backup must hold the file as it was before its game type.
        const QByteArray result = testing::readBytes(install.ini);
        QByteArray expected = original;
        std::vector<QByteArray> expectedBackups;
        for (std::size_t t = 0; t < kGameTypes.size(); ++t) {
            const std::vector<QByteArray> candidates = expectedCandidates(c.maps[t], c.excludes[t]);
            if (!c.ticked[t] || candidates.empty()) {
                continue;
            }
            SCOPED_TRACE(kGameTypes[t].code);
            const MapList list = readMapList(result, kGameTypes[t]);
            expectValidList(list, candidates);
            expectedBackups.push_back(expected);
            expected = applyWrites(expected, mapListWrites(kGameTypes[t], list));
        }
        EXPECT_EQ(result, expected);
        EXPECT_EQ(install.backups(), expectedBackups);
        EXPECT_EQ(install.rendixFiles().size(), expectedBackups.size());
    }
}

TEST(Randomizer, Utf16FileIsNeverChanged) {
    const QByteArray utf16("\xFF\xFE[\0U\0R\0L\0]\0\r\0\n\0", 14);
    SmallInstall install(utf16);
    install.addMap("DM-A.unr");
    install.addMap("CTF-A.unr");
    ScriptedMessages messages;
    RandomizeCommand(install.state, messages, {true, true, true, true});
    EXPECT_EQ(messages.shown, std::vector<Message>{utf16RefusedMessage(
                                  install.state.UTDir + "/system/UnrealTournament.ini")});
    EXPECT_EQ(messages.statusHistory, std::vector<QString>{s("Found 1 Deathmatch maps...")});
    EXPECT_EQ(testing::readBytes(install.ini), utf16);
    EXPECT_TRUE(install.rendixFiles().empty());
}

std::vector<QByteArray> candidateNames(int count) {
    return numbered("DM-", count);
}

TEST(Randomizer, ShuffleFillsMinOfNAnd32DistinctSlots) {
    for (const int count : {1, 2, 31, 32, 33, 40, 500}) {
        SCOPED_TRACE(count);
        const std::vector<QByteArray> candidates = candidateNames(count);
        for (int run = 0; run < 100; ++run) {
            expectValidList(shuffleMapList(candidates), candidates);
        }
    }
}

TEST(Randomizer, ShuffleFinishesWithTheClockFrozen) {
    platform::TestSeam seam;
    seam.freezeSteadyClock(123456789);
    for (const int count : {32, 1000}) {
        const std::vector<QByteArray> candidates = candidateNames(count);
        expectValidList(shuffleMapList(candidates), candidates);
    }
}

TEST(Randomizer, EachCandidateReachesSlotZeroAboutEquallyOften) {
    constexpr int kCandidates = 8;
    constexpr int kRuns = 8000;
    const std::vector<QByteArray> candidates = candidateNames(kCandidates);
    std::map<QByteArray, int> counts;
    for (int run = 0; run < kRuns; ++run) {
        ++counts[*shuffleMapList(candidates)[0]];
    }
    const double expected = double(kRuns) / kCandidates;
    double chiSquare = 0;
    for (const QByteArray& name : candidates) {
        chiSquare += (counts[name] - expected) * (counts[name] - expected) / expected;
    }
    // 7 degrees of freedom: 40 is exceeded by chance about once in a million runs.
    EXPECT_LT(chiSquare, 40.0);
}

// The 34 writes of one game type reach the file in one rewrite; it must come out as the
// 34 single WriteKeyValue calls would leave it.
TEST(Randomizer, OneRewriteEqualsThirtyFourSingleWrites) {
    struct Case {
        const char* name;
        std::optional<QByteArray> file;  // nothing: no file yet
        int candidates;
    };
    const std::vector<Case> cases{
        {"full old list, 5 new", kIni, 5},
        {"LF file, 40 new", withLineEnds(kIni, "\n"), 40},
        {"no terminator at the end", QByteArray("[Botpack.TDMmaplist]\r\nMaps[3]=X"), 2},
        {"sections in other case, blanks around keys",
         QByteArray("[botpack.tdmmaplist]\r\n Maps[0] = Old \r\nmaps[7]=Old7\r\n\r\n"
                    "[utmenu.utstartgamecw]\r\nmap=\"Old\"\r\n"),
         3},
        {"duplicate sections and keys",
         QByteArray(
             "[Botpack.TDMmaplist]\nMaps[0]=A\nMaps[0]=B\n[Botpack.TDMmaplist]\nMaps[1]=C\n"),
         1},
        {"no file", std::nullopt, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        const QByteArray single = dir.file("single.ini");
        const QByteArray together = dir.file("together.ini");
        if (c.file) {
            testing::writeBytes(single, *c.file);
            testing::writeBytes(together, *c.file);
        }
        const std::vector<ini::ProfileWrite> writes =
            mapListWrites(kGameTypes[0], shuffleMapList(candidateNames(c.candidates)));
        ASSERT_EQ(writes.size(), 34u);
        for (const ini::ProfileWrite& write : writes) {
            ASSERT_TRUE(WriteKeyValue(single, write.section, *write.key, write.value).ok);
        }
        ASSERT_TRUE(ini::writeProfileStrings(together, writes).ok);
        EXPECT_EQ(testing::readBytes(together), testing::readBytes(single));
    }
}

}  // namespace
}  // namespace rendix
