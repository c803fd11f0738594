#include <gtest/gtest.h>

#include <functional>

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
using testing::writeBytes;

const std::array<QByteArray, 4> kDefaults{
    "DM.Ex[0]=DM-Tutorial.unr\r\n", "CTF.Ex[0]=CTF-Tutorial.unr\r\n",
    "DOM.Ex[0]=DOM-Tutorial.unr\r\n", "AS.Ex[0]=AS-Tutorial.unr\r\n"};

// A settings file with the given exclusion sections in table order, each followed by a
// blank line; the section `last`, as Apply writes it anew, stands at the end without one.
QByteArray settingsFile(const std::array<QByteArray, 4>& bodies = kDefaults, int last = -1) {
    const auto section = [&](int i) {
        return "[" + QByteArray(kGameTypes[static_cast<std::size_t>(i)].exclusionSection) +
               "]\r\n" + bodies[static_cast<std::size_t>(i)];
    };
    QByteArray out = "[Main]\r\nUTDir=/ut\r\n\r\n";
    for (int i = 0; i < 4; ++i) {
        out += i == last ? QByteArray() : section(i) + "\r\n";
    }
    return last < 0 ? out : out + section(last);
}

// Lines as "name" or "*name" for a selected line, joined by ",".
QByteArray shown(const std::vector<EditorLine>& lines) {
    QByteArrayList out;
    for (const EditorLine& line : lines) {
        out.push_back((line.selected ? "*" : "") + line.name);
    }
    return out.join(',');
}

void select(ExclusionEditor& editor, EditorList list, const QByteArrayList& names) {
    std::vector<int> rows;
    for (std::size_t i = 0; i < editor.lines(list).size(); ++i) {
        if (names.contains(editor.lines(list)[i].name)) {
            rows.push_back(static_cast<int>(i));
        }
    }
    editor.setSelectedRows(list, rows);
}

struct EditorTest : ::testing::Test {
    EditorTest() {
        state.UTDir = dir.file("UT");
        state.settingsPath = dir.file("Rendix.ini");
        state.DMExcludes = {"DM-Tutorial.unr"};
        state.CTFExcludes = {"CTF-Tutorial.unr"};
        state.DOMExcludes = {"DOM-Tutorial.unr"};
        state.ASExcludes = {"AS-Tutorial.unr"};
        writeBytes(state.settingsPath, settingsFile());
    }
    void maps(const ExclusionList& names) {
        testing::makeFolder(dir.file("UT/Maps"));
        for (const QByteArray& name : names) {
            writeBytes(dir.file("UT/Maps/" + name), {});
        }
    }
    // Shows `type` with `excludes` stored and moves the maps `toExclude` over.
    void prepare(int type, const ExclusionList& excludes, const QByteArrayList& toExclude) {
        state.*kGameTypes[static_cast<std::size_t>(type)].excludes = excludes;
        editor.fill(type);
        select(editor, EditorList::Selected, toExclude);
        editor.exclude();
    }
    testing::TempDir dir;
    ModMain state;
    testing::ScriptedMessages messages;
    ExclusionEditor editor{state, messages};
};

TEST_F(EditorTest, FillShowsStoredEntriesWhoseFilesExistAndTheRestOfTheMaps) {
    struct Row {
        const char* name;
        QByteArrayList files;
        ExclusionList excludes;
        int type;
        QByteArray excluded, selected, counts;
    } rows[] = {
        {"defaults",
         {"DM-Tutorial.unr", "DM-Deck16][.unr", "DM-Agony.unr", "CTF-Face.unr"},
         {"DM-Tutorial.unr"},
         0,
         "DM-Tutorial.unr",
         "DM-Agony.unr,DM-Deck16][.unr",
         "2 1"},
        {"other case shown and still selectable",
         {"DM-Agony.unr"},
         {"dm-AGONY.unr"},
         0,
         "dm-AGONY.unr",
         "DM-Agony.unr",
         "1 1"},
        {"missing and empty entries skipped, stored order kept",
         {"DM-Zeto.unr", "DM-Alpha.unr", "DM-Mid.unr"},
         {"DM-Zeto.unr", "", "DM-Gone.unr", "DM-Alpha.unr"},
         0,
         "DM-Zeto.unr,DM-Alpha.unr",
         "DM-Mid.unr",
         "1 2"},
        {"empty entry 0 shows none",
         {"DM-Alpha.unr"},
         {"", "DM-Alpha.unr"},
         0,
         "",
         "DM-Alpha.unr",
         "1 0"},
        {"list without entries", {"DM-Alpha.unr"}, {}, 0, "", "DM-Alpha.unr", "1 0"},
        {"entry with a path names no map",
         {"DM-Alpha.unr"},
         {"../Maps/DM-Alpha.unr"},
         0,
         "",
         "DM-Alpha.unr",
         "1 0"},
        {"placeholder", {"DM-Alpha.unr"}, {"AS-Tutorial.unr"}, 3, "", "No AS maps found", "1 0"},
        {"listing folds case, sorts letters before _",
         {"dm-b.UNR", "DM-_x.unr", "DM-A.unr", "DM-C.txt"},
         {"DM-Tutorial.unr"},
         0,
         "",
         "DM-A.unr,dm-b.UNR,DM-_x.unr",
         "3 0"},
        {"bytes that are not UTF-8",
         {"DM-\xE9t\xE9.unr", "DM-A.unr"},
         {"DM-\xE9t\xE9.unr"},
         0,
         "DM-\xE9t\xE9.unr",
         "DM-A.unr",
         "1 1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::TempDir fresh;
        state.UTDir = fresh.file("UT");
        testing::makeFolder(fresh.file("UT/Maps/DM-Folder.unr"));
        writeBytes(fresh.file("UT/Maps/.DM-Hidden.unr"), {});
        for (const QByteArray& name : row.files) {
            writeBytes(fresh.file("UT/Maps/" + name), {});
        }
        state.*kGameTypes[static_cast<std::size_t>(row.type)].excludes = row.excludes;
        editor.fill(row.type);
        EXPECT_EQ(shown(editor.excludedLines()), row.excluded);
        EXPECT_EQ(shown(editor.selectedLines()), row.selected);
        const QList<QByteArray> counts = row.counts.split(' ');
        EXPECT_EQ(editor.selectCountText(), QString::fromLatin1(counts[0] + " map(s) selected"));
        EXPECT_EQ(editor.excludeCountText(), QString::fromLatin1(counts[1] + " map(s) excluded"));
        EXPECT_FALSE(editor.applyEnabled());
        // The temporary folder cannot remove names that are not UTF-8 by itself.
        platform::removeMatching(fresh.file("UT/Maps"), "*");
    }
}

TEST_F(EditorTest, MovesKeepTheOrderAndTheTutorialRule) {
    using Step = std::function<void(ExclusionEditor&)>;
    const auto pick = [](EditorList list, QByteArrayList names) {
        return [=](ExclusionEditor& e) { select(e, list, names); };
    };
    const auto S = EditorList::Selected;
    const auto X = EditorList::Excluded;
    const Step exclude = &ExclusionEditor::exclude, include = &ExclusionEditor::include;
    struct Row {
        const char* name;
        ExclusionList excludes;
        std::vector<Step> steps;
        QByteArray selected, excluded;
        bool apply;
        int boxes;
    } rows[] = {
        {"nothing selected",
         {"DM-Tutorial.unr"},
         {exclude, include},
         "DM-A.unr,DM-B.unr,DM-C.unr",
         "DM-Tutorial.unr",
         false,
         0},
        {"exclude two",
         {"DM-Tutorial.unr"},
         {pick(S, {"DM-A.unr", "DM-C.unr"}), exclude},
         "*DM-B.unr",
         "DM-A.unr,DM-C.unr,DM-Tutorial.unr",
         true,
         0},
        {"insert before the first later line of a stored order",
         {"DM-Tutorial.unr", "DM-A.unr"},
         {pick(S, {"DM-B.unr"}), exclude},
         "*DM-C.unr",
         "DM-B.unr,DM-Tutorial.unr,DM-A.unr",
         true,
         0},
        {"exclude all",
         {"DM-Tutorial.unr"},
         {&ExclusionEditor::excludeAll},
         "",
         "DM-A.unr,DM-B.unr,DM-C.unr,DM-Tutorial.unr",
         true,
         0},
        {"lone tutorial",
         {"DM-Tutorial.unr", "DM-A.unr"},
         {pick(X, {"DM-Tutorial.unr"}), include},
         "DM-B.unr,DM-C.unr",
         "*DM-Tutorial.unr,DM-A.unr",
         false,
         1},
        {"include all with the tutorial alone",
         {"DM-Tutorial.unr"},
         {&ExclusionEditor::includeAll},
         "DM-A.unr,DM-B.unr,DM-C.unr",
         "*DM-Tutorial.unr",
         false,
         1},
        {"tutorial among others stays silently",
         {"DM-Tutorial.unr", "DM-C.unr", "DM-A.unr"},
         {&ExclusionEditor::includeAll},
         "DM-A.unr,DM-B.unr,DM-C.unr",
         "*DM-Tutorial.unr",
         true,
         0},
        {"only tutorials selected still enables Apply",
         {"DM-Tutorial.unr", "DM-Old-Tutorial.unr"},
         {&ExclusionEditor::includeAll},
         "DM-A.unr,DM-B.unr,DM-C.unr",
         "*DM-Tutorial.unr,DM-Old-Tutorial.unr",
         true,
         0},
        {"tutorial match respects case",
         {"DM-tutorial.UNR"},
         {&ExclusionEditor::includeAll},
         "DM-A.unr,DM-B.unr,DM-C.unr,DM-tutorial.UNR",
         "",
         true,
         0},
        {"another type drops the moves, Apply stays on",
         {"DM-Tutorial.unr"},
         {&ExclusionEditor::excludeAll, [](ExclusionEditor& e) { e.fill(1); },
          [](ExclusionEditor& e) { e.fill(0); }},
         "DM-A.unr,DM-B.unr,DM-C.unr",
         "DM-Tutorial.unr",
         true,
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Every excluded entry has its map file, beside three plain maps.
        testing::TempDir fresh;
        state.UTDir = fresh.file("UT");
        for (const char* name : {"DM-A.unr", "DM-B.unr", "DM-C.unr"}) {
            writeBytes(fresh.file("UT/Maps/" + QByteArray(name)), {});
        }
        for (const QByteArray& name : row.excludes) {
            writeBytes(fresh.file("UT/Maps/" + name), {});
        }
        state.DMExcludes = row.excludes;
        ExclusionEditor moved(state, messages);
        messages.shown.clear();
        moved.fill(0);
        for (const Step& step : row.steps) {
            step(moved);
        }
        EXPECT_EQ(shown(moved.selectedLines()), row.selected);
        EXPECT_EQ(shown(moved.excludedLines()), row.excluded);
        EXPECT_EQ(moved.applyEnabled(), row.apply);
        ASSERT_EQ(messages.shown.size(), static_cast<std::size_t>(row.boxes));
        if (row.boxes) {
            EXPECT_EQ(
                messages.shown[0],
                (Message{QStringLiteral(
                             "UnrealTournament will not accept a tutorial map in the map list."),
                         QStringLiteral("Invalid Selection")}));
        }
        // Moves alone store nothing.
        EXPECT_EQ(state.DMExcludes, row.excludes);
    }
    EXPECT_EQ(readBytes(state.settingsPath), settingsFile());
}

TEST_F(EditorTest, ApplyStoresTheExcludedLinesInScreenOrder) {
    struct Row {
        const char* name;
        int type;
        ExclusionList files, excludes;
        QByteArray sectionBefore;
        QByteArrayList toExclude;
        ExclusionList stored;
        QByteArray sectionAfter;
    } rows[] = {
        {"CTF with two lines, whatever the section held",
         1,
         {"CTF-Tutorial.unr", "CTF-Face.unr", "CTF-Coret.unr"},
         {"CTF-Tutorial.unr", "CTF-Gone.unr", "", "CTF-Face.unr"},
         "CTF.Ex[0]=CTF-Tutorial.unr\r\nCTF.Ex[1]=CTF-Gone.unr\r\nCTF.Ex[3]=CTF-Face.unr\r\n"
         "CTF.Ex[9]=Old.unr\r\n",
         {},
         {"CTF-Tutorial.unr", "CTF-Face.unr"},
         "CTF.Ex[0]=CTF-Tutorial.unr\r\nCTF.Ex[1]=CTF-Face.unr\r\n"},
        {"deleted map dropped, name bytes kept",
         0,
         {"DM-Tutorial.unr", "DM-\xE9.unr"},
         {"DM-Tutorial.unr", "DM-Agony.unr"},
         "DM.Ex[0]=DM-Tutorial.unr\r\nDM.Ex[1]=DM-Agony.unr\r\n",
         {"DM-\xE9.unr"},
         {"DM-Tutorial.unr", "DM-\xE9.unr"},
         "DM.Ex[0]=DM-Tutorial.unr\r\nDM.Ex[1]=DM-\xE9.unr\r\n"},
        {"empty list keeps an empty entry 0",
         3,
         {},
         {"AS-Tutorial.unr"},
         kDefaults[3],
         {},
         {""},
         "AS.Ex[0]=\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testing::TempDir fresh;
        state.UTDir = fresh.file("UT");
        testing::makeFolder(fresh.file("UT/Maps"));
        for (const QByteArray& name : row.files) {
            writeBytes(fresh.file("UT/Maps/" + name), {});
        }
        std::array<QByteArray, 4> before = kDefaults;
        before[static_cast<std::size_t>(row.type)] = row.sectionBefore;
        writeBytes(state.settingsPath, settingsFile(before));
        messages.busyChanges.clear();
        prepare(row.type, row.excludes, row.toExclude);

        EXPECT_TRUE(editor.apply().ok);
        std::array<QByteArray, 4> after = kDefaults;
        after[static_cast<std::size_t>(row.type)] = row.sectionAfter;
        EXPECT_EQ(readBytes(state.settingsPath), settingsFile(after, row.type));
        EXPECT_EQ(state.*kGameTypes[static_cast<std::size_t>(row.type)].excludes, row.stored);
        EXPECT_FALSE(editor.applyEnabled());
        EXPECT_EQ(messages.busyChanges, (std::vector<bool>{true, false}));
        EXPECT_TRUE(messages.shown.empty());
        platform::removeMatching(fresh.file("UT/Maps"), "*");
    }
}

TEST_F(EditorTest, FailedApplyLeavesTheFileAsItWasAndApplyEnabled) {
    using platform::Operation;
    const struct {
        const char* name;
        Operation op;
        int nth;
    } rows[] = {{"removing the section", Operation::Rename, 1},
                {"first key after the section was removed", Operation::Rename, 2},
                {"second key", Operation::Rename, 3},
                {"a write", Operation::Write, 2}};
    maps({"CTF-Tutorial.unr", "CTF-Face.unr"});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        messages.shown.clear();
        prepare(1, {"CTF-Tutorial.unr"}, {"CTF-Face.unr"});
        platform::TestSeam seam;
        seam.failNth(row.op, row.nth);
        EXPECT_FALSE(editor.apply().ok);
        EXPECT_EQ(readBytes(state.settingsPath), settingsFile());
        EXPECT_EQ(testing::folderNames(dir.path()), (std::vector<QByteArray>{"Rendix.ini", "UT"}));
        EXPECT_EQ(messages.shown, std::vector<Message>{writeFailedMessage(state.settingsPath)});
        EXPECT_TRUE(editor.applyEnabled());
        EXPECT_EQ(state.CTFExcludes, (ExclusionList{"CTF-Face.unr", "CTF-Tutorial.unr"}));
    }
}

TEST_F(EditorTest, ApplyWithoutASettingsFileCreatesIt) {
    maps({"DM-Tutorial.unr"});
    testing::TempDir elsewhere;
    state.settingsPath = elsewhere.file("Rendix.ini");
    prepare(0, {"DM-Tutorial.unr"}, {});
    EXPECT_TRUE(editor.apply().ok);
    EXPECT_EQ(readBytes(state.settingsPath), "[MapExcludes.DM]\r\nDM.Ex[0]=DM-Tutorial.unr\r\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("File Not Found"));
}

}  // namespace
}  // namespace rendix
