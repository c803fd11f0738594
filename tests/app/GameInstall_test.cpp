#include <gtest/gtest.h>

#include "support/GameInstall.h"
#include "support/TestFiles.h"

namespace rendix::testing {
namespace {

// The other tests count removed and added ServerPackages entries on these installs, so the
// block must keep its shape: one run of entries ended by an empty line, every entry but the
// stale ones backed by an .int file, one foreign key inside, and only the chosen line ends.
struct InstallCase {
    const char* name;
    GameInstallOptions options;
};

class GameInstallTest : public ::testing::TestWithParam<InstallCase> {};

TEST_P(GameInstallTest, BuildsAConsistentInstall) {
    const GameInstallOptions& options = GetParam().options;
    TempDir dir;
    const GameInstall install = makeGameInstall(dir.file("UT"), options);
    const QByteArray ini = readBytes(install.ini);

    EXPECT_EQ(ini, unrealTournamentIni(options)) << "the same options give the same bytes";
    EXPECT_GE(ini.size(), options.targetIniBytes);
    EXPECT_LT(ini.size(), options.targetIniBytes + 16000);
    EXPECT_EQ(ini.count("\r\n"), options.lineEnd == "\r\n" ? ini.count('\n') : 0);
    EXPECT_TRUE(ini.endsWith(options.lineEnd));

    const QList<QByteArray> lines = ini.split('\n');
    qsizetype first = -1;
    for (qsizetype i = 0; i < lines.size() && first < 0; ++i) {
        if (lines[i].startsWith("ServerPackages=")) {
            first = i;
        }
    }
    ASSERT_GE(first, 0);
    int stale = 0, foreign = 0, entries = 0;
    qsizetype i = first;
    for (; i < lines.size() && lines[i] != options.lineEnd.chopped(1); ++i) {
        const QByteArray line = lines[i].chopped(options.lineEnd.size() - 1);
        if (!line.startsWith("ServerPackages=")) {
            ++foreign;
        } else if (exists(install.system + '/' + line.mid(15) + ".int")) {
            ++entries;
        } else {
            ++stale;
        }
    }
    ASSERT_LT(i, lines.size()) << "an empty line ends the block";
    EXPECT_EQ(stale, options.entriesWithoutInt);
    EXPECT_EQ(foreign, 1);
    EXPECT_EQ(entries, 12 + (options.customInts + 1) / 2);
    EXPECT_EQ(ini.count("ServerPackages="), stale + entries) << "no entry after the block";

    for (const GameType& type : kGameTypes) {
        EXPECT_EQ(exists(install.maps + '/' + type.tutorialMap), options.stockMaps);
        EXPECT_EQ(stockMapNames(type).front(), type.tutorialMap);
    }
    EXPECT_EQ(
        folderNames(install.maps).size(),
        (options.stockMaps ? 57u : 0u) + 4u * static_cast<unsigned>(options.extraMapsPerType));
}

INSTANTIATE_TEST_SUITE_P(
    Options, GameInstallTest,
    ::testing::Values(InstallCase{"Defaults", {}},
                      InstallCase{"LinuxLineEnds", {0, true, 6, 2, 20000, "\n"}},
                      InstallCase{"LargeOddNoStock", {50, false, 7, 0, 200000, "\r\n"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(GameInstall, WritesTheDefaultSettingsWithTheGameDirectory) {
    TempDir dir;
    writeSettingsFor(dir.path(), "/games/UT");
    EXPECT_EQ(readBytes(dir.file("Rendix.ini")),
              QByteArray("[Main]\r\nUTDir=/games/UT\r\n\r\n"
                         "[MapExcludes.DM]\r\nDM.Ex[0]=DM-Tutorial.unr\r\n\r\n"
                         "[MapExcludes.CTF]\r\nCTF.Ex[0]=CTF-Tutorial.unr\r\n\r\n"
                         "[MapExcludes.DOM]\r\nDOM.Ex[0]=DOM-Tutorial.unr\r\n\r\n"
                         "[MapExcludes.AS]\r\nAS.Ex[0]=AS-Tutorial.unr\r\n\r\n"));
    EXPECT_EQ(stockIntNames().size(), 24u);
}

}  // namespace
}  // namespace rendix::testing
