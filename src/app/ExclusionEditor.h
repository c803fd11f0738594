#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

#include "app/GameTypes.h"
#include "app/MapPatterns.h"
#include "app/ModMain.h"
#include "platform/FileLock.h"
#include "platform/Messages.h"
#include "platform/Result.h"

// The exclusion editor: the shown game type, the lines of the selected and the excluded list
// with their selection, whether Apply is enabled and the two count texts, and the operations
// on them. Every rule of editing an exclusion list lives here; whatever shows the lists
// passes the user's picks on (setSelectedRows) before each operation.
namespace rendix {

// One line of a list: a map file name as the file system or the settings file spells it
// (bytes, decoded only for display) and whether the user has it selected. In the excluded
// list a line may also be a pattern (app/MapPatterns.h), as stored, with the number of the
// type's maps it matches; those maps have no lines of their own.
struct EditorLine {
    EditorLine() = default;
    EditorLine(QByteArray lineName, bool isSelected = false,
               std::optional<qsizetype> patternCovers = std::nullopt)
        : name(std::move(lineName)), selected(isSelected), covers(patternCovers) {}

    QByteArray name;
    bool selected = false;
    std::optional<qsizetype> covers;  // a pattern's line: the maps it matches

    friend bool operator==(const EditorLine&, const EditorLine&) = default;
};

// What a line shows: the name, decoded; a pattern followed by its count, as
// "CTF-BT-* (212 maps)".
QString lineText(const EditorLine& line);

enum class EditorList { Selected, Excluded };

// The alphabetical order of both lists: letters compared without regard to case (ASCII),
// ties broken by byte order.
bool editorLess(const QByteArray& a, const QByteArray& b);

// Inserts `name` before the first line that sorts after it (at the end when none does).
// Lines keep their order otherwise, so a list that is not fully sorted stays as it is
// around the new line. Returns the position used.
qsizetype insertSorted(std::vector<EditorLine>& lines, const QByteArray& name);

class ExclusionEditor {
public:
    // Works on the shared state `state` (UTDir, the four exclusion lists, the settings
    // path) and talks to the user through `messages`. Both must outlive the editor. Shows
    // nothing until fill() is called; Apply starts disabled. Apply waits up to
    // `lockTimeoutMs` for another Rendix to finish writing the settings file.
    ExclusionEditor(ModMain& state, Messages& messages,
                    int lockTimeoutMs = platform::FileLock::kDefaultTimeoutMs);

    // Shows game type `typeIndex` (0 to 3, the order of kGameTypes): the excluded list
    // holds the type's in-memory entries whose map files exist and its patterns, in stored
    // order and spelling (none when entry 0 is empty); an entry that a pattern matches has
    // no line but is kept for Apply. The selected list holds the type's map files as the
    // maps folder stores them, less the lines equal to an excluded entry and the maps a
    // pattern matches, or the placeholder "No <code> maps found". Names holding a control
    // character (a line break among them) are left out of both lists. Nothing is selected
    // afterwards. Apply keeps its state. An index out of range is ignored.
    void fill(int typeIndex);

    // Selects exactly the given rows of a list (rows out of range are ignored).
    void setSelectedRows(EditorList list, const std::vector<int>& rows);

    // Moves the selected lines of the selected list to their alphabetical places in the
    // excluded list, then selects the first remaining selected line and enables Apply.
    // Does nothing when no line is selected.
    void exclude();
    // Selects every line of the selected list, then exclude().
    void excludeAll();
    // Excludes what `typed` (blanks at both ends removed) matches. A pattern goes to its
    // alphabetical place in the excluded list, the maps it matches leave the selected list,
    // and excluded entries it matches lose their lines (they are kept); then, as after
    // exclude(), the first selected line is selected and Apply enabled. A pattern already
    // in the list (in any letter case) changes nothing. A text without "*" or "?" names one
    // map: the selected line of that name (exactly, else in another letter case) is
    // excluded as by exclude().
    // Refused with a box, changing nothing: a pattern that patternProblem() refuses
    // ("Invalid Pattern"), a name of no selected or excluded map ("No Matching Map").
    // Empty text does nothing.
    void excludeMatching(const QByteArray& typed);
    // Moves the selected lines of the excluded list back, except tutorial maps (names
    // holding "-Tutorial."), which lose their selection and stay. A lone selected tutorial
    // map instead brings up the "Invalid Selection" box and nothing changes. A pattern
    // moved back is removed: the maps it matched return to the selected list unless another
    // entry excludes them (a tutorial map among them stays excluded under its own name), and
    // the entries it hid get their lines back unless another pattern matches them. After a
    // move (even of nothing) the first excluded line is selected and Apply enabled. Does
    // nothing when no line is selected.
    void include();
    // Selects every line of the excluded list, then include().
    void includeAll();

    // Stores the excluded list (storedEntries()) as the shown type's exclusion list, in
    // memory and in the settings file, under the busy pointer. The in-memory list is
    // replaced whatever happens to the file; an empty list is stored as one empty entry 0,
    // so that the next start-up still finds the section. The file gets the bytes that DeleteSection
    // and one WriteKeyValue per entry (keys from index 0 in screen order) would give, with
    // DeleteSection's boxes, but in one safe rewrite under the settings file's lock: it
    // holds its old bytes or all of the new ones, whenever the program stops. When that
    // fails (another Rendix holds the lock: Problem::Busy) the file is as it was, a box
    // worded by the failure names it ("Busy", "Read failed", "Write failed"...), Apply
    // stays enabled and the failure is returned; otherwise Apply is disabled.
    Result apply();
    // apply() taking the lock into `lock` (at once where it holds the settings file's lock
    // already, as after refreshExclusionList) and leaving it held after a write; a failed
    // one lets it go before its box.
    Result apply(platform::FileLock& lock);

    int gameType() const { return m_type; }
    const std::vector<EditorLine>& selectedLines() const { return m_selected; }
    const std::vector<EditorLine>& excludedLines() const { return m_excluded; }
    const std::vector<EditorLine>& lines(EditorList list) const;
    bool applyEnabled() const { return m_applyEnabled; }
    // N + " map(s) selected" and N + " map(s) excluded"; empty until the first fill. The
    // excluded count counts maps: each map line once and each map that a pattern matches once.
    QString selectCountText() const { return m_selectCount; }
    QString excludeCountText() const { return m_excludeCount; }
    // What Apply stores: the excluded list's lines from the top (patterns as they are
    // stored), then the entries that a pattern hides, in their stored order.
    ExclusionList storedEntries() const;

private:
    std::vector<EditorLine>& linesOf(EditorList list);
    void updateCounts();
    // The patterns of the excluded list.
    ExclusionList patterns() const;
    // Moves the excluded map lines that `byPatterns` match to the hidden entries.
    void hideCovered(const ExclusionMatcher& byPatterns);
    // Takes the pattern lines out of a list of lines taken from the excluded list, and
    // brings back what they excluded alone (include()).
    void removePatterns(std::vector<QByteArray>& taken);
    Result writeSection(const GameType& type, const ExclusionList& entries,
                        platform::FileLock& lock);

    ModMain& m_state;
    Messages& m_messages;
    int m_lockTimeoutMs;
    int m_type = 0;
    std::vector<EditorLine> m_selected;
    std::vector<EditorLine> m_excluded;
    // The type's usable map files, as listed at the last fill: what patterns match.
    std::vector<QByteArray> m_maps;
    // Stored entries that a pattern matches: kept for Apply, shown by no line.
    std::vector<QByteArray> m_hidden;
    bool m_applyEnabled = false;
    QString m_selectCount;
    QString m_excludeCount;
};

}  // namespace rendix
