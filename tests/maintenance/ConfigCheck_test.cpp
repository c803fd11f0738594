#include "maintenance/ConfigCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/DataTable.h"
#include "platform/Seam.h"
#include "support/GameInstall.h"
#include "support/TestFiles.h"

namespace rendix::testing {
namespace {

// Every file under `root` with its bytes, hidden ones included.
std::map<std::string, QByteArray> tree(const QByteArray& root) {
    std::map<std::string, QByteArray> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.constData())) {
        files[entry.path().string()] =
            entry.is_regular_file() ? readBytes(fsBytes(entry.path())) : QByteArray("<folder>");
    }
    return files;
}

// A finding a line: "<file under the game directory>[:line] <severity> <code> <fix or ->".
QByteArray summary(const ConfigCheck& check, const QByteArray& root) {
    if (check.failure) {
        return "failed: " + check.failure->title.toUtf8();
    }
    QByteArray text;
    for (const Finding& f : check.findings) {
        text += slashed(f.file.mid(root.size() + 1)) +
                (f.line ? ':' + QByteArray::number(*f.line) : "") + ' ' +
                severityName(f.severity()) + ' ' + f.code() + ' ' + (f.fix ? f.fix : "-") + '\n';
    }
    return text;
}

// The game's own installs, as each layout ships them: nothing to report.
TEST(ConfigCheck, SoundInstallsGiveNoFinding) {
    for (const Layout layout :
         {Layout::Classic, Layout::Patch469b, Layout::Patch469c, Layout::Patch469d}) {
        SCOPED_TRACE(static_cast<int>(layout));
        TempDir temp;
        const GameInstall game = makeGameInstall(
            temp.file("UT"), {.entriesWithoutInt = 0, .layout = layout, .bonusMapsPerType = 2});
        EXPECT_EQ(summary(CheckConfiguration(Install::locate(game.root, {})), game.root), "");
    }
}

const QByteArray kEngine = "[Engine.GameEngine]\r\n";

class ConfigCheckCase : public ::testing::TestWithParam<QList<QByteArray>> {};

// data/checks.rows: each finding on an install that has that problem; the check changes
// nothing.
TEST_P(ConfigCheckCase, FindsWhatIsWrong) {
    const QList<QByteArray>& c = GetParam();
    if (const char* why = posixNamesUnavailable(); why && c[0] == "CaseTwins") {
        GTEST_SKIP() << why;
    }
    TempDir temp;
    const QByteArray root = temp.file("UT");
    writeBytes(root + "/System/UnrealTournament.ini", c[1]);
    QList<QByteArray> files{"System/Botpack.u", "", "System/IpDrv.u",         "",
                            "Maps/DM-A.unr",    "", "Maps/CTF-A.unr",         "",
                            "Maps/CTF-B.unr",   "", "Maps/AS-A.unr",          "",
                            "Maps/DOM-A.unr",   "", "System64/ucc-bin-amd64", ""};
    for (int i = 0; i < c.value(5).toInt(); ++i) {
        files << "System/Rendix_UnrealTournament1" + QByteArray::number(i) + ".ini"
              << "12345";
    }
    files << c.mid(6);
    for (qsizetype i = 0; i + 1 < files.size(); i += 2) {
        writeBytes(root + '/' + files[i], files[i + 1]);
    }
    platform::TestSeam seam;
    std::vector<QByteArray> running;
    if (!c.value(4).isEmpty()) {
        running.push_back(pathIn(root, c[4]));
    }
    seam.setRunningPrograms(running);
    const auto before = tree(root);
    const ConfigCheck check = CheckConfiguration(Install::locate(root, {}));
    EXPECT_EQ(summary(check, root), c.value(2));
    EXPECT_EQ(tree(root), before);
    QByteArray texts;
    for (const Finding& finding : check.findings) {
        texts += findingLine(finding) + '\n';
    }
    EXPECT_TRUE(texts.contains(c.value(3))) << texts.constData();
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigCheckCase, ::testing::ValuesIn(dataTable("checks.rows")),
                         [](const auto& row) { return row.param[0].toStdString(); });

// What keeps the check from being made is a failure, and no finding.
TEST(ConfigCheck, FailuresFindNothing) {
    const struct {
        const char* name;
        platform::Operation op;
        QByteArray ini;
        const char* title;
    } rows[] = {
        {"config unreadable", platform::Operation::Read, kEngine, "Read failed"},
        {"folder unlistable", platform::Operation::List, kEngine, "List failed"},
        {"UTF-16", platform::Operation::Open, QByteArray("\xff\xfe[\0E\0]\0", 8),
         "Unsupported file"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir temp;
        writeBytes(temp.file("UT/System/UnrealTournament.ini"), row.ini);
        platform::TestSeam seam;
        seam.failAll(row.ini == kEngine ? row.op : platform::Operation::Rename);
        const ConfigCheck check = CheckConfiguration(Install::locate(temp.file("UT"), {}));
        EXPECT_EQ(summary(check, temp.file("UT")), "failed: " + QByteArray(row.title));
        EXPECT_TRUE(check.findings.empty());
    }
}

// A finding without a line, as compilers print findings; the counts of the command line's
// last line, with notes among them.
TEST(ConfigCheck, FindingLines) {
    const Finding note{
        &finding::kManyBackups, "/ut/UnrealTournament.ini", {}, QStringLiteral("M.")};
    EXPECT_EQ(findingLine(note), "/ut/UnrealTournament.ini: note: M. [many-backups]");
    EXPECT_EQ(findingCounts({note, note}), "0 errors, 0 warnings, 2 notes");
}

}  // namespace
}  // namespace rendix::testing
