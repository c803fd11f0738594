#include <gtest/gtest.h>

#include "app/ExclusionEditor.h"
#include "app/Failures.h"
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

const char* const kFour = "Tutorial,A,B,C";

struct Row {
    QByteArray name;
    const char* files;
    int type;
    const char *stored, *ops, *selected, *excluded;
    bool apply, box;
};

// Moves store nothing (for OK). Rows "apply-*" then apply with no fault and with each single
// failing operation: the file becomes data/<name>.out.ini, or stays <name>.in.ini and the
// user is told; the list in memory is replaced either way.
void checkRows(std::initializer_list<Row> rows) {
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.data());
        Editor e(row.files, row.type, row.stored, row.ops);
        EXPECT_EQ(e.editor.selectedLines(), lines(row.selected, row.type));
        EXPECT_EQ(e.editor.excludedLines(), lines(row.excluded, row.type));
        EXPECT_EQ(e.editor.selectCountText() + e.editor.excludeCountText(),
                  QStringLiteral("%1 map(s) selected%2 map(s) excluded")
                      .arg(e.editor.selectedLines().size())
                      .arg(e.editor.excludedLines().size()));
        EXPECT_EQ(e.editor.applyEnabled(), row.apply);
        EXPECT_EQ(e.messages.shown,
                  std::vector<Message>(row.box, {QStringLiteral("UnrealTournament will not accept "
                                                                "a tutorial map in the map list."),
                                                 QStringLiteral("Invalid Selection")}));
        EXPECT_EQ(e.state.*kGameTypes[row.type].excludes, list(row.stored, row.type));
        EXPECT_FALSE(testing::exists(e.state.settingsPath));
        for (int k = 0; row.name.startsWith("apply-") && k < platform::kOperationCount; ++k) {
            for (int n = k ? 1 : 0, faulted = 1; faulted; ++n) {  // n = 0: no fault
                SCOPED_TRACE(::testing::Message() << "operation kind " << k << " n " << n);
                Editor f(row.files, row.type, row.stored, row.ops);
                testing::writeBytes(f.state.settingsPath, RENDIX_DATA(row.name + ".in.ini"));
                const auto op = static_cast<platform::Operation>(k);
                platform::TestSeam seam;
                seam.failNth(op, n);
                const bool ok = f.editor.apply().ok;
                faulted = n && seam.count(op) >= n;
                EXPECT_TRUE(ok || faulted);
                EXPECT_EQ(testing::readBytes(f.state.settingsPath),
                          RENDIX_DATA(row.name + (ok ? ".out.ini" : ".in.ini")));
                const bool reading =
                    op == platform::Operation::Open || op == platform::Operation::Read;
                EXPECT_EQ(f.messages.titles(), ok ? "" : reading ? "Read failed" : "Write failed");
                EXPECT_TRUE(ok || f.messages.shown[0].text.endsWith(unchangedText()));
                EXPECT_EQ(f.editor.applyEnabled(), row.apply && !ok);
                EXPECT_EQ(f.state.*kGameTypes[row.type].excludes, list(row.excluded, row.type));
            }
        }
    }
}

TEST(ExclusionEditor, ListsMovesAndApply) {
    checkRows({
        {"defaults", "Tutorial,B,A,CTF-Face.unr", 0, "Tutorial", "", "A,B", "Tutorial", 0, 0},
        {"other case", "A", 0, "dm-a.UNR", "", "A", "dm-a.UNR", 0, 0},
        {"skipped", kFour, 0, "C,,Gone,../Maps/DM-B.unr,A", "0>", "*Tutorial", "B,C,A", 1, 0},
        {"empty entry 0", "A", 0, ",A", "", "A", "", 0, 0},
        {"exclude two", kFour, 0, "Tutorial", "0,2>", "*B", "A,C,Tutorial", 1, 0},
        {"all, only the tutorial", kFour, 0, "Tutorial", "*<", "A,B,C", "*Tutorial", 0, 1},
        {"tutorial among others", kFour, 0, "Tutorial,C,A", "0,1<", "B,C", "*Tutorial,A", 1, 0},
        {"apply-ctf", "Tutorial,Face", 1, "Tutorial,Gone,,Face", "", "", "Tutorial,Face", 0, 0},
        {"apply-switched", kFour, 0, "Tutorial", "*> t1 t0", "A,B,C", "Tutorial", 1, 0},
        {"apply-empty", nullptr, 3, "Tutorial", "", "No AS maps found", "", 0, 0},
    });
}

// Map names that Windows cannot hold: one that is not UTF-8, ones with control characters.
TEST(ExclusionEditor, ListsAndAppliesNamesOfAnyBytes) {
    if (const char* why = testing::posixNamesUnavailable()) {
        GTEST_SKIP() << why;
    }
    checkRows({
        {"apply-deleted", "Tutorial,\xE9", 0, "Tutorial,Agony", "0>", "", "Tutorial,\xE9", 1, 0},
        {"control characters", "Tutorial,A\nB,C\tD,E\x7F,F", 0, "Tutorial,C\tD", "", "F",
         "Tutorial", 0, 0},
    });
}

// Patterns in the editor (CTF): "m|<text>" types a text and presses Exclude Matching,
// "<row><" includes a row of the excluded list. Lines as they show, "*" before a selected one.
TEST(ExclusionEditor, PatternsExcludeWholeFamilies) {
    const char* const files = "Tutorial,BT-Maze,ctf-bt-bridge.unr,Face,XV-One";
    const char* const all = "ctf-bt-bridge.unr,CTF-BT-Maze.unr,CTF-Face.unr,CTF-XV-One.unr";
    const struct {
        const char *name, *stored, *ops, *selected, *excluded;
        int selectedMaps, excludedMaps;
        const char *stores, *box;
    } rows[] = {
        {"overlapping patterns count maps once", "Tutorial", "m|  CTF-BT-*  |m|*-Maze.unr",
         "*CTF-Face.unr,CTF-XV-One.unr", "*-Maze.unr (1 map),CTF-BT-* (2 maps),CTF-Tutorial.unr", 2,
         3, "*-Maze.unr,CTF-BT-*,CTF-Tutorial.unr", ""},
        {"a pattern twice", "Tutorial", "m|CTF-BT-*|m|ctf-bt-*", "*CTF-Face.unr,CTF-XV-One.unr",
         "CTF-BT-* (2 maps),CTF-Tutorial.unr", 2, 3, "CTF-BT-*,CTF-Tutorial.unr", ""},
        {"stored pattern hides what it covers", "Tutorial,BT-Maze,CTF-BT-*.unr,CTF-BT-*.unr", "",
         "CTF-Face.unr,CTF-XV-One.unr", "CTF-Tutorial.unr,CTF-BT-*.unr (2 maps)", 2, 3,
         "CTF-Tutorial.unr,CTF-BT-*.unr,CTF-BT-Maze.unr", ""},
        {"moved back, its maps return but one excluded by name", "Tutorial,BT-Maze,CTF-BT-*.unr",
         "1<", "ctf-bt-bridge.unr,CTF-Face.unr,CTF-XV-One.unr", "*CTF-BT-Maze.unr,CTF-Tutorial.unr",
         3, 2, "CTF-BT-Maze.unr,CTF-Tutorial.unr", ""},
        {"the tutorial stays excluded", "CTF-*.unr", "0<", all, "*CTF-Tutorial.unr", 4, 1,
         "CTF-Tutorial.unr", ""},
        {"a plain name", "Tutorial", "m|ctf-face.unr",
         "*ctf-bt-bridge.unr,CTF-BT-Maze.unr,CTF-XV-One.unr", "CTF-Face.unr,CTF-Tutorial.unr", 3, 2,
         "CTF-Face.unr,CTF-Tutorial.unr", ""},
        {"no such map", "Tutorial", "m|CTF-Gone.unr", all, "CTF-Tutorial.unr", 4, 1,
         "CTF-Tutorial.unr", "No Matching Map"},
        {"quotes", "Tutorial", "m|'CTF-*'", all, "CTF-Tutorial.unr", 4, 1, "CTF-Tutorial.unr",
         "Invalid Pattern"},
    };
    const auto shown = [](const std::vector<EditorLine>& lines) {
        QStringList texts;
        for (const EditorLine& line : lines) {
            texts << (line.selected ? QStringLiteral("*") : QString()) + lineText(line);
        }
        return texts.join(QLatin1Char(',')).toStdString();
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Editor e(files, 1, row.stored, "");
        const QList<QByteArray> ops = QByteArray(row.ops).split('|');
        for (qsizetype i = 0; i < ops.size(); ++i) {
            if (ops[i] == "m") {
                e.editor.excludeMatching(ops[++i]);
            } else if (ops[i].endsWith('<')) {
                e.editor.setSelectedRows(EditorList::Excluded, {ops[i].chopped(1).toInt()});
                e.editor.include();
            }
        }
        EXPECT_EQ(shown(e.editor.selectedLines()), row.selected);
        EXPECT_EQ(shown(e.editor.excludedLines()), row.excluded);
        EXPECT_EQ(e.editor.selectCountText() + e.editor.excludeCountText(),
                  QStringLiteral("%1 map(s) selected%2 map(s) excluded")
                      .arg(row.selectedMaps)
                      .arg(row.excludedMaps));
        EXPECT_EQ(e.messages.titles(), row.box);
        const ExclusionList stores = e.editor.storedEntries();
        EXPECT_EQ(QByteArrayList(stores.begin(), stores.end()).join(','), row.stores);
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
