#include <gtest/gtest.h>

#include "app/ExclusionEditor.h"
#include "app/Failures.h"
#include "platform/DataTable.h"
#include "platform/FileLock.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

namespace rendix {
namespace {

ExclusionList list(const char* names, int type) {
    ExclusionList out;
    for (const QByteArray& name : names ? QByteArray(names).split(',') : QByteArrayList()) {
        const bool spelt = name.isEmpty() || name.contains('.') || name.contains(' ');
        out.push_back(spelt ? name : kGameTypes[type].code + ('-' + name) + ".unr");
    }
    return out;
}

std::vector<EditorLine> lines(const char* names, int type) {
    std::vector<EditorLine> out;
    for (const QByteArray& name : list(*names ? names : nullptr, type))
        out.push_back({QByteArray(name).replace("*", ""), name.contains('*')});
    return out;
}

// In the table a name without a dot or blank is "<code>-<name>.unr", "*" marks a selected
// line. `ops`: "0,2>" and "0<" select rows and move them, "*>" and "*<" move all, "t1" shows
// another type.
struct Editor {
    Editor(const char* files, int type, const char* stored, const char* ops) {
        state.UTDir = dir.file("UT");
        state.settingsPath = dir.file("cfg/Rendix.ini");
        for (const QByteArray& name : list(files, type))
            testing::writeBytes(dir.file("UT/Maps/" + name), {});
        state.*kGameTypes[type].excludes = list(stored, type);
        editor.fill(type);
        for (const QByteArray& op : QByteArray(ops).split(' ')) {
            const bool in = op.endsWith('<');
            if (op.startsWith('t')) {
                editor.fill(op.mid(1).toInt());
            } else if (op.startsWith('*')) {
                in ? editor.includeAll() : editor.excludeAll();
            } else if (!op.isEmpty()) {
                std::vector<int> rows;
                for (const QByteArray& row : op.chopped(1).split(','))
                    rows.push_back(row.toInt());
                editor.setSelectedRows(in ? EditorList::Excluded : EditorList::Selected, rows);
                in ? editor.include() : editor.exclude();
            }
        }
    }
    testing::TempDir dir;
    ModMain state;
    testing::ScriptedMessages messages;
    ExclusionEditor editor{state, messages};
};

// Moves store nothing (for OK). Rows "apply-*" then apply with no fault and with each single
// failing operation: the file becomes data/<name>.out.ini, or stays <name>.in.ini and the
// user is told; the list in memory is replaced either way.
void checkRows(const char* table) {
    for (const QList<QByteArray>& row : testing::dataTable(table)) {
        SCOPED_TRACE(row[0].data());
        const char* files = row[1].isEmpty() ? nullptr : row[1].constData();
        const int type = row[2].toInt();
        const char *stored = row[3].constData(), *ops = row[4].constData();
        const char *selected = row[5].constData(), *excluded = row[6].constData();
        const bool apply = row[7] == "yes";
        Editor e(files, type, stored, ops);
        EXPECT_EQ(e.editor.selectedLines(), lines(selected, type));
        EXPECT_EQ(e.editor.excludedLines(), lines(excluded, type));
        EXPECT_EQ(e.editor.selectCountText() + e.editor.excludeCountText(),
                  QStringLiteral("%1 map(s) selected%2 map(s) excluded")
                      .arg(e.editor.selectedLines().size())
                      .arg(e.editor.excludedLines().size()));
        EXPECT_EQ(e.editor.applyEnabled(), apply);
        EXPECT_EQ(e.messages.shown,
                  std::vector<Message>(row[8] == "yes", {QStringLiteral("UnrealTournament will not "
                                                                        "accept a tutorial map in "
                                                                        "the map list."),
                                                         QStringLiteral("Invalid Selection")}));
        EXPECT_EQ(e.state.*kGameTypes[type].excludes, list(stored, type));
        EXPECT_FALSE(testing::exists(e.state.settingsPath));
        for (int k = 0; row[0].startsWith("apply-") && k < platform::kOperationCount; ++k) {
            for (int n = k ? 1 : 0, faulted = 1; faulted; ++n) {  // n = 0: no fault
                SCOPED_TRACE(::testing::Message() << "operation kind " << k << " n " << n);
                Editor f(files, type, stored, ops);
                testing::writeBytes(f.state.settingsPath, RENDIX_DATA(row[0] + ".in.ini"));
                const auto op = static_cast<platform::Operation>(k);
                platform::TestSeam seam;
                seam.failNth(op, n);
                const bool ok = f.editor.apply().ok;
                faulted = n && seam.count(op) >= n;
                EXPECT_TRUE(ok || faulted);
                EXPECT_EQ(testing::readBytes(f.state.settingsPath),
                          RENDIX_DATA(row[0] + (ok ? ".out.ini" : ".in.ini")));
                const bool reading =
                    op == platform::Operation::Open || op == platform::Operation::Read;
                EXPECT_EQ(f.messages.titles(), ok ? "" : reading ? "Read failed" : "Write failed");
                EXPECT_TRUE(ok || f.messages.shown[0].text.endsWith(unchangedText()));
                EXPECT_EQ(f.editor.applyEnabled(), apply && !ok);
                EXPECT_EQ(f.state.*kGameTypes[type].excludes, list(excluded, type));
            }
        }
    }
}

// data/editor.rows
TEST(ExclusionEditor, ListsMovesAndApply) {
    checkRows("editor.rows");
}

// data/editor-any-bytes.rows
TEST(ExclusionEditor, ListsAndAppliesNamesOfAnyBytes) {
    if (const char* why = testing::posixNamesUnavailable()) {
        GTEST_SKIP() << why;
    }
    checkRows("editor-any-bytes.rows");
}

// data/patterns.rows: patterns in the editor (CTF).
TEST(ExclusionEditor, PatternsExcludeWholeFamilies) {
    const auto shown = [](const std::vector<EditorLine>& lines) {
        QStringList texts;
        for (const EditorLine& line : lines) {
            texts << (line.selected ? QStringLiteral("*") : QString()) + lineText(line);
        }
        return texts.join(QLatin1Char(',')).toStdString();
    };
    for (const QList<QByteArray>& row : testing::dataTable("patterns.rows")) {
        SCOPED_TRACE(row[0].constData());
        Editor e("Tutorial,BT-Maze,ctf-bt-bridge.unr,Face,XV-One", 1, row[1].constData(), "");
        const QList<QByteArray> ops = row.mid(8);
        for (qsizetype i = 0; i < ops.size(); ++i) {
            if (ops[i] == "m") {
                e.editor.excludeMatching(ops[++i]);
            } else if (ops[i].endsWith('<')) {
                e.editor.setSelectedRows(EditorList::Excluded, {ops[i].chopped(1).toInt()});
                e.editor.include();
            }
        }
        EXPECT_EQ(shown(e.editor.selectedLines()), row[2].toStdString());
        EXPECT_EQ(shown(e.editor.excludedLines()), row[3].toStdString());
        EXPECT_EQ(e.editor.selectCountText() + e.editor.excludeCountText(),
                  QStringLiteral("%1 map(s) selected%2 map(s) excluded")
                      .arg(row[4].toInt())
                      .arg(row[5].toInt()));
        EXPECT_EQ(e.messages.titles(), row[7].toStdString());
        const ExclusionList stores = e.editor.storedEntries();
        EXPECT_EQ(QByteArrayList(stores.begin(), stores.end()).join(','), row[6]);
    }
}

// Apply rewrites the file once, so a stop at any moment leaves the old file or the new one:
// from the nth operation of a kind on, every one fails, as if the program had died there.
// Another Rendix holding the settings file's lock makes Apply change nothing and say so.
TEST(ExclusionEditor, AnInterruptedApplyLeavesTheOldFileOrTheNewOne) {
    QByteArray files = "Tutorial";
    for (int i = 0; i < 320; ++i) {  // a file of more than one write
        files += ",Map" + QByteArray::number(i) + QByteArray(200, 'x');
    }
    Editor e(files.constData(), 0, "Tutorial", "*>");
    const QByteArray& path = e.state.settingsPath;
    const QByteArray old = RENDIX_DATA("apply-switched.in.ini");
    QByteArray renewed;
    for (const auto op : {platform::Operation::Write, platform::Operation::Flush,
                          platform::Operation::Sync, platform::Operation::Rename}) {
        for (int n = 0, reached = 1; reached; ++n) {  // n = 0: no fault
            SCOPED_TRACE(::testing::Message() << static_cast<int>(op) << " from " << n);
            testing::writeBytes(path, old);
            platform::TestSeam seam;
            for (int k = n; n && k < n + 100; ++k) {
                seam.failNth(op, k);
            }
            const bool ok = e.editor.apply().ok;
            reached = n && seam.count(op) >= n;
            const QByteArray after = testing::readBytes(path);
            if (!n) {
                EXPECT_EQ(seam.count(platform::Operation::Rename), 1);
                renewed = after;
            }
            EXPECT_EQ(after, ok ? renewed : old);
            EXPECT_EQ(testing::folderNames(e.dir.file("cfg")),
                      std::vector<QByteArray>({".Rendix.ini.lock", "Rendix.ini"}));
        }
    }
    EXPECT_EQ(renewed.count("\r\nDM.Ex["), 321);

    platform::FileLock other;
    ASSERT_TRUE(other.acquire(path));
    testing::writeBytes(path, old);
    e.messages.shown.clear();
    ExclusionEditor busy(e.state, e.messages, 0);
    e.state.DMExcludes = {"DM-Tutorial.unr"};
    busy.fill(0);
    busy.excludeAll();
    EXPECT_EQ(busy.apply().problem, Problem::Busy);
    EXPECT_EQ(e.messages.titles(), "Busy");
    EXPECT_TRUE(busy.applyEnabled());
    EXPECT_EQ(testing::readBytes(path), old);
}

}  // namespace
}  // namespace rendix
