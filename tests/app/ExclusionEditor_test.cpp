#include <gtest/gtest.h>

#include "app/ExclusionEditor.h"
#include "app/Failures.h"
#include "platform/FileSystem.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

// Failures show bytes as text rather than as arrays of characters.
static void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << ::testing::PrintToString(bytes.toStdString());
}

namespace rendix {
namespace {

using testing::readBytes;

const std::array<QByteArray, 4> kDefaults{
    "DM.Ex[0]=DM-Tutorial.unr\r\n", "CTF.Ex[0]=CTF-Tutorial.unr\r\n",
    "DOM.Ex[0]=DOM-Tutorial.unr\r\n", "AS.Ex[0]=AS-Tutorial.unr\r\n"};

// A settings file with these exclusion sections in table order, each followed by a blank
// line; the section `last`, as Apply writes it anew, stands at the end without one.
QByteArray settingsFile(const std::array<QByteArray, 4>& bodies = kDefaults, int last = -1) {
    const auto section = [&](std::size_t i) {
        return "[" + QByteArray(kGameTypes[i].exclusionSection) + "]\r\n" + bodies[i];
    };
    QByteArray out = "[Main]\r\nUTDir=/ut\r\n\r\n";
    for (std::size_t i = 0; i < 4; ++i) {
        out += static_cast<int>(i) == last ? QByteArray() : section(i) + "\r\n";
    }
    return last < 0 ? out : out + section(static_cast<std::size_t>(last));
}

// "a,b" as a list; nullptr as none at all.
ExclusionList list(const char* names) {
    const QByteArrayList parts = names ? QByteArray(names).split(',') : QByteArrayList();
    return {parts.begin(), parts.end()};
}

// The lines joined by ",", a selected one marked "*".
QByteArray shown(const std::vector<EditorLine>& lines) {
    QByteArrayList out;
    for (const EditorLine& line : lines) {
        out.push_back((line.selected ? "*" : "") + line.name);
    }
    return out.join(',');
}

struct EditorTest : ::testing::Test {
    // Map files `files` in a fresh game folder, `excludes` stored for `type`, the type
    // shown, then `ops`: ">", ">>", "<", "<<", "t<type>" (pick a type), "s:a|b" or "x:a|b"
    // (select these lines of the selected or the excluded list).
    void run(const char* files, int type, const char* excludes, const char* ops) {
        clearGame();
        game = std::make_unique<testing::TempDir>();
        state.UTDir = game->file("UT");
        testing::makeFolder(game->file("UT/Maps"));
        for (const QByteArray& name : list(files)) {
            if (!name.isEmpty())
                testing::writeBytes(game->file("UT/Maps/" + name), {});
        }
        state.*kGameTypes[static_cast<std::size_t>(type)].excludes = list(excludes);
        editor = std::make_unique<ExclusionEditor>(state, messages);
        editor->fill(type);
        for (const QByteArray& op : QByteArray(ops).split(' ')) {
            if (op == ">" || op == ">>" || op == "<" || op == "<<") {
                (editor.get()->*(op == ">"    ? &ExclusionEditor::exclude
                                 : op == ">>" ? &ExclusionEditor::excludeAll
                                 : op == "<"  ? &ExclusionEditor::include
                                              : &ExclusionEditor::includeAll))();
            } else if (op.startsWith('t')) {
                editor->fill(op.mid(1).toInt());
            } else if (!op.isEmpty()) {
                const auto side = op[0] == 's' ? EditorList::Selected : EditorList::Excluded;
                std::vector<int> rows;
                for (std::size_t i = 0; i < editor->lines(side).size(); ++i) {
                    if (op.mid(2).split('|').contains(editor->lines(side)[i].name)) {
                        rows.push_back(static_cast<int>(i));
                    }
                }
                editor->setSelectedRows(side, rows);
            }
        }
    }
    // The temporary folder cannot remove names that are not UTF-8 by itself.
    void clearGame() {
        if (game)
            platform::removeMatching(game->file("UT/Maps"), "*");
    }
    EditorTest() { state.settingsPath = dir.file("Rendix.ini"); }
    ~EditorTest() override { clearGame(); }

    testing::TempDir dir;
    ModMain state;
    testing::ScriptedMessages messages;
    std::unique_ptr<testing::TempDir> game;
    std::unique_ptr<ExclusionEditor> editor;
};

const char* const kFour = "DM-Tutorial.unr,DM-A.unr,DM-B.unr,DM-C.unr";

TEST_F(EditorTest, ListsShowStoredEntriesAndMapFilesAndMovesKeepTheTutorialRule) {
    const struct {
        const char *name, *files;
        int type;
        const char *excludes, *ops, *selected, *excluded;
        bool apply;
        int boxes;
    } rows[] = {
        {"defaults", "DM-Tutorial.unr,DM-Deck16][.unr,DM-Agony.unr,CTF-Face.unr", 0,
         "DM-Tutorial.unr", "", "DM-Agony.unr,DM-Deck16][.unr", "DM-Tutorial.unr", false, 0},
        {"other case shown, still selectable", "DM-Agony.unr", 0, "dm-AGONY.unr", "",
         "DM-Agony.unr", "dm-AGONY.unr", false, 0},
        {"missing and empty skipped; insert before the first later line", kFour, 0,
         "DM-C.unr,,DM-Gone.unr,DM-A.unr", "s:DM-B.unr >", "*DM-Tutorial.unr",
         "DM-B.unr,DM-C.unr,DM-A.unr", true, 0},
        {"empty entry 0 shows none", "DM-A.unr", 0, ",DM-A.unr", "", "DM-A.unr", "", false, 0},
        {"no entries at all", "DM-A.unr", 0, nullptr, "", "DM-A.unr", "", false, 0},
        {"entry with a path names no map", "DM-A.unr", 0, "../Maps/DM-A.unr", "", "DM-A.unr", "",
         false, 0},
        {"placeholder", "DM-A.unr", 3, "AS-Tutorial.unr", "", "No AS maps found", "", false, 0},
        {"listing folds case", "dm-b.UNR,DM-_x.unr,DM-A.unr,DM-C.txt", 0, "", "",
         "DM-A.unr,dm-b.UNR,DM-_x.unr", "", false, 0},
        {"bytes that are not UTF-8", "DM-\xE9.unr,DM-A.unr", 0, "DM-\xE9.unr", "", "DM-A.unr",
         "DM-\xE9.unr", false, 0},
        {"nothing selected", kFour, 0, "DM-Tutorial.unr", "> <", "DM-A.unr,DM-B.unr,DM-C.unr",
         "DM-Tutorial.unr", false, 0},
        {"exclude two", kFour, 0, "DM-Tutorial.unr", "s:DM-A.unr|DM-C.unr >", "*DM-B.unr",
         "DM-A.unr,DM-C.unr,DM-Tutorial.unr", true, 0},
        {"exclude all", kFour, 0, "DM-Tutorial.unr", ">>", "",
         "DM-A.unr,DM-B.unr,DM-C.unr,DM-Tutorial.unr", true, 0},
        {"lone tutorial", kFour, 0, "DM-Tutorial.unr,DM-A.unr", "x:DM-Tutorial.unr <",
         "DM-B.unr,DM-C.unr", "*DM-Tutorial.unr,DM-A.unr", false, 1},
        {"include all with the tutorial alone", kFour, 0, "DM-Tutorial.unr", "<<",
         "DM-A.unr,DM-B.unr,DM-C.unr", "*DM-Tutorial.unr", false, 1},
        {"tutorial among others stays silently", kFour, 0, "DM-Tutorial.unr,DM-C.unr,DM-A.unr",
         "<<", "DM-A.unr,DM-B.unr,DM-C.unr", "*DM-Tutorial.unr", true, 0},
        {"only tutorials selected", "DM-Tutorial.unr,DM-Old-Tutorial.unr", 0,
         "DM-Tutorial.unr,DM-Old-Tutorial.unr", "<<", "", "*DM-Tutorial.unr,DM-Old-Tutorial.unr",
         true, 0},
        {"tutorial match respects case", "DM-tutorial.UNR,DM-A.unr", 0, "DM-tutorial.UNR", "<<",
         "DM-A.unr,DM-tutorial.UNR", "", true, 0},
        {"another type drops the moves", kFour, 0, "DM-Tutorial.unr", ">> t1 t0",
         "DM-A.unr,DM-B.unr,DM-C.unr", "DM-Tutorial.unr", true, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        messages.shown.clear();
        run(row.files, row.type, row.excludes, row.ops);
        EXPECT_EQ(shown(editor->selectedLines()), row.selected);
        EXPECT_EQ(shown(editor->excludedLines()), row.excluded);
        EXPECT_EQ(editor->selectCountText(), QString::number(editor->selectedLines().size()) +
                                                 QStringLiteral(" map(s) selected"));
        EXPECT_EQ(editor->excludeCountText(), QString::number(editor->excludedLines().size()) +
                                                  QStringLiteral(" map(s) excluded"));
        EXPECT_EQ(editor->applyEnabled(), row.apply);
        EXPECT_EQ(messages.shown, std::vector<Message>(
                                      row.boxes, {QStringLiteral("UnrealTournament will not accept "
                                                                 "a tutorial map in the map list."),
                                                  QStringLiteral("Invalid Selection")}));
        // Moves alone store nothing.
        EXPECT_EQ(state.*kGameTypes[static_cast<std::size_t>(row.type)].excludes,
                  list(row.excludes));
        EXPECT_FALSE(testing::exists(state.settingsPath));
    }
}

TEST_F(EditorTest, ApplyRewritesTheSectionInScreenOrder) {
    const struct {
        const char *name, *files;
        int type;
        const char *excludes, *sectionBefore, *ops, *stored, *sectionAfter;
    } rows[] = {
        {"CTF with two lines, whatever the section held", "CTF-Tutorial.unr,CTF-Face.unr", 1,
         "CTF-Tutorial.unr,CTF-Gone.unr,,CTF-Face.unr",
         "CTF.Ex[0]=CTF-Tutorial.unr\r\nCTF.Ex[3]=CTF-Face.unr\r\nCTF.Ex[9]=Old.unr\r\n", "",
         "CTF-Tutorial.unr,CTF-Face.unr",
         "CTF.Ex[0]=CTF-Tutorial.unr\r\nCTF.Ex[1]=CTF-Face.unr\r\n"},
        {"deleted map dropped, name bytes kept", "DM-Tutorial.unr,DM-\xE9.unr", 0,
         "DM-Tutorial.unr,DM-Agony.unr", "DM.Ex[0]=DM-Tutorial.unr\r\nDM.Ex[1]=DM-Agony.unr\r\n",
         "s:DM-\xE9.unr >", "DM-Tutorial.unr,DM-\xE9.unr",
         "DM.Ex[0]=DM-Tutorial.unr\r\nDM.Ex[1]=DM-\xE9.unr\r\n"},
        {"after another type and back, what is shown", kFour, 0, "DM-Tutorial.unr",
         "DM.Ex[0]=DM-Tutorial.unr\r\n", ">> t1 t0", "DM-Tutorial.unr",
         "DM.Ex[0]=DM-Tutorial.unr\r\n"},
        {"empty list keeps an empty entry 0", "", 3, "AS-Tutorial.unr",
         "AS.Ex[0]=AS-Tutorial.unr\r\n", "", "", "AS.Ex[0]=\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::array<QByteArray, 4> before = kDefaults, after = kDefaults;
        before[static_cast<std::size_t>(row.type)] = row.sectionBefore;
        after[static_cast<std::size_t>(row.type)] = row.sectionAfter;
        testing::writeBytes(state.settingsPath, settingsFile(before));
        messages.busyChanges.clear();
        run(row.files, row.type, row.excludes, row.ops);
        EXPECT_TRUE(editor->apply().ok);
        EXPECT_EQ(readBytes(state.settingsPath), settingsFile(after, row.type));
        EXPECT_EQ(state.*kGameTypes[static_cast<std::size_t>(row.type)].excludes, list(row.stored));
        EXPECT_FALSE(editor->applyEnabled());
        EXPECT_EQ(messages.busyChanges, (std::vector<bool>{true, false}));
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(EditorTest, FailedApplyPutsTheFileBackAndKeepsApplyEnabled) {
    using platform::Operation;
    const struct {
        const char* name;
        Operation op;
        int nth;
    } rows[] = {{"removing the section", Operation::Rename, 1},
                {"first key, section already removed", Operation::Rename, 2},
                {"second key", Operation::Rename, 3},
                {"a write", Operation::Write, 2}};
    testing::writeBytes(state.settingsPath, settingsFile());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        messages.shown.clear();
        run("CTF-Tutorial.unr,CTF-Face.unr", 1, "CTF-Tutorial.unr", "s:CTF-Face.unr >");
        platform::TestSeam seam;
        seam.failNth(row.op, row.nth);
        EXPECT_FALSE(editor->apply().ok);
        EXPECT_EQ(readBytes(state.settingsPath), settingsFile());
        EXPECT_EQ(testing::folderNames(dir.path()), std::vector<QByteArray>{"Rendix.ini"});
        EXPECT_EQ(messages.shown, std::vector<Message>{writeFailedMessage(state.settingsPath)});
        EXPECT_TRUE(editor->applyEnabled());
        EXPECT_EQ(state.CTFExcludes, list("CTF-Face.unr,CTF-Tutorial.unr"));
    }
}

}  // namespace
}  // namespace rendix
