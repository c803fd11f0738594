#include "app/ExclusionEditor.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <optional>

#include "app/Failures.h"
#include "app/Install.h"
#include "app/MapPatterns.h"
#include "ini/IniHandler.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace rendix {

namespace {

bool isTutorial(const QByteArray& name) {
    return name.contains(QByteArrayLiteral("-Tutorial."));
}

qsizetype selectedCount(const std::vector<EditorLine>& lines) {
    return std::count_if(lines.begin(), lines.end(),
                         [](const EditorLine& l) { return l.selected; });
}

// Takes the selected lines out of `from`, last line first, as the moves are defined.
std::vector<QByteArray> takeSelected(std::vector<EditorLine>& from) {
    std::vector<QByteArray> taken;
    for (auto it = from.rbegin(); it != from.rend(); ++it) {
        if (it->selected) {
            taken.push_back(it->name);
        }
    }
    std::erase_if(from, [](const EditorLine& l) { return l.selected; });
    return taken;
}

// Inserts every name at its alphabetical place, in the given order. A sorted list (the
// usual case) takes them in one merge, so that moving tens of thousands of maps stays
// quick; the same lines result as from inserting them one by one.
void insertAllSorted(std::vector<EditorLine>& lines, std::vector<QByteArray> names) {
    const auto lineLess = [](const EditorLine& a, const EditorLine& b) {
        return editorLess(a.name, b.name);
    };
    if (!std::is_sorted(lines.begin(), lines.end(), lineLess)) {
        for (const QByteArray& name : names) {
            insertSorted(lines, name);
        }
        return;
    }
    // Names that compare equal are equal bytes, so their relative order cannot show.
    std::stable_sort(names.begin(), names.end(), editorLess);
    std::vector<EditorLine> moved;
    moved.reserve(names.size());
    for (QByteArray& name : names) {
        moved.push_back({std::move(name), false});
    }
    std::vector<EditorLine> merged;
    merged.reserve(lines.size() + moved.size());
    // std::merge takes from the first range on ties: a new line goes after its equals.
    std::merge(lines.begin(), lines.end(), moved.begin(), moved.end(), std::back_inserter(merged),
               lineLess);
    lines = std::move(merged);
}

// How many of `maps` the pattern matches.
qsizetype coveredCount(const QByteArray& pattern, const std::vector<QByteArray>& maps) {
    const ExclusionMatcher byPattern({pattern});
    return std::count_if(maps.begin(), maps.end(),
                         [&](const QByteArray& map) { return byPattern.patternMatches(map); });
}

}  // namespace

QString lineText(const EditorLine& line) {
    const QString name = QFile::decodeName(line.name);
    if (!line.covers) {
        return name;
    }
    return name + QStringLiteral(" (") + QString::number(*line.covers) +
           (*line.covers == 1 ? QStringLiteral(" map)") : QStringLiteral(" maps)"));
}

bool editorLess(const QByteArray& a, const QByteArray& b) {
    return platform::listingLess(a, b);
}

qsizetype insertSorted(std::vector<EditorLine>& lines, const QByteArray& name) {
    const auto after = std::find_if(lines.begin(), lines.end(), [&](const EditorLine& line) {
        return editorLess(name, line.name);
    });
    // begin() only after the insertion, which may move the lines.
    const auto inserted = lines.insert(after, EditorLine{name, false});
    return inserted - lines.begin();
}

ExclusionEditor::ExclusionEditor(ModMain& state, Messages& messages, int lockTimeoutMs)
    : m_state(state), m_messages(messages), m_lockTimeoutMs(lockTimeoutMs) {}

const std::vector<EditorLine>& ExclusionEditor::lines(EditorList list) const {
    return list == EditorList::Selected ? m_selected : m_excluded;
}

std::vector<EditorLine>& ExclusionEditor::linesOf(EditorList list) {
    return list == EditorList::Selected ? m_selected : m_excluded;
}

void ExclusionEditor::fill(int typeIndex) {
    if (typeIndex < 0 || typeIndex >= static_cast<int>(kGameTypes.size())) {
        return;
    }
    m_type = typeIndex;
    const GameType& type = kGameTypes[static_cast<std::size_t>(typeIndex)];
    m_selected.clear();
    m_excluded.clear();
    m_hidden.clear();

    const Install install = Install::of(m_state);
    // An unreadable maps folder shows as one without maps. A name holding a line break or
    // another control character could never be stored (it would break its line of the
    // settings file), and the randomizer leaves such maps out.
    platform::Listing listing = install.listMaps(type.mapPattern);
    std::erase_if(listing.names,
                  [](const QByteArray& name) { return platform::holdsControlCharacter(name); });
    m_maps = listing.names;

    const ExclusionList& entries = m_state.*type.excludes;
    // An empty entry 0 marks a list without entries; the first filling keeps the stored
    // order and spelling, so a stored entry in another letter case shows as stored.
    if (!entries.empty() && !entries.front().isEmpty()) {
        for (const QByteArray& entry : entries) {
            // An entry holding a separator names no file of the maps folder, and one holding
            // a control character no map that the randomizer would take.
            if (entry.isEmpty() || entry.contains('/') || platform::holdsControlCharacter(entry)) {
                continue;
            }
            if (isMapPattern(entry)) {
                // A pattern matches maps yet to come as well, so it stays without any.
                if (std::none_of(m_excluded.begin(), m_excluded.end(),
                                 [&](const EditorLine& line) { return line.name == entry; })) {
                    m_excluded.push_back({entry, false, 0});
                }
            } else if (install.findMap(entry)) {
                m_excluded.push_back({entry, false});
            }
        }
    }
    for (EditorLine& line : m_excluded) {
        if (line.covers) {
            line.covers = coveredCount(line.name, m_maps);
        }
    }
    const ExclusionMatcher byPatterns(patterns());
    hideCovered(byPatterns);

    insertAllSorted(m_selected, std::move(listing.names));
    if (m_selected.empty()) {
        m_selected.push_back(
            {QByteArrayLiteral("No ") + type.code + QByteArrayLiteral(" maps found"), false});
    }

    // Exact comparison: a map excluded under another letter case stays selectable. A
    // pattern ignores letter case, as the listing does.
    QSet<QByteArray> excludedNames(m_hidden.begin(), m_hidden.end());
    for (const EditorLine& line : m_excluded) {
        excludedNames.insert(line.name);
    }
    std::erase_if(m_selected, [&](const EditorLine& line) {
        return excludedNames.contains(line.name) ||
               (!m_maps.empty() && byPatterns.patternMatches(line.name));
    });
    updateCounts();
}

void ExclusionEditor::setSelectedRows(EditorList list, const std::vector<int>& rows) {
    std::vector<EditorLine>& lines = linesOf(list);
    for (EditorLine& line : lines) {
        line.selected = false;
    }
    for (const int row : rows) {
        if (row >= 0 && static_cast<std::size_t>(row) < lines.size()) {
            lines[static_cast<std::size_t>(row)].selected = true;
        }
    }
}

void ExclusionEditor::exclude() {
    if (selectedCount(m_selected) == 0) {
        return;
    }
    insertAllSorted(m_excluded, takeSelected(m_selected));
    updateCounts();
    if (!m_selected.empty()) {
        m_selected.front().selected = true;
    }
    m_applyEnabled = true;
}

void ExclusionEditor::excludeAll() {
    for (EditorLine& line : m_selected) {
        line.selected = true;
    }
    exclude();
}

void ExclusionEditor::excludeMatching(const QByteArray& typed) {
    const QByteArray text = platform::trimBlanks(typed).toByteArray();
    if (text.isEmpty()) {
        return;
    }
    if (!isMapPattern(text)) {
        // A plain name: that map, as if the user had picked its line.
        const auto named = [&](bool exact) {
            return std::find_if(m_selected.begin(), m_selected.end(), [&](const EditorLine& l) {
                return !m_maps.empty() &&
                       (exact ? l.name == text : platform::equalsFolded(l.name, text));
            });
        };
        auto line = named(true);
        line = line != m_selected.end() ? line : named(false);
        if (line != m_selected.end()) {
            setSelectedRows(EditorList::Selected, {static_cast<int>(line - m_selected.begin())});
            exclude();
        } else if (std::none_of(m_excluded.begin(), m_excluded.end(),
                                [&](const EditorLine& l) { return l.name == text; })) {
            m_messages.show(failureMessage(
                QStringLiteral("No map to exclude is named ") + platform::shownName(text) +
                    QStringLiteral(". A pattern holds * for any run of characters or ? for one "
                                   "character, such as CTF-BT-*."),
                "No Matching Map"));
        }
        return;
    }
    if (const std::optional<QString> problem = patternProblem(text)) {
        m_messages.show(failureMessage(
            platform::shownName(text) + QStringLiteral(" cannot be stored: ") + *problem,
            "Invalid Pattern"));
        return;
    }
    // Patterns that differ only in letter case match the same maps.
    if (std::any_of(m_excluded.begin(), m_excluded.end(), [&](const EditorLine& line) {
            return line.covers && platform::equalsFolded(line.name, text);
        })) {
        return;
    }
    const ExclusionMatcher byPattern({text});
    const qsizetype covers = coveredCount(text, m_maps);
    if (!m_maps.empty()) {
        std::erase_if(m_selected,
                      [&](const EditorLine& line) { return byPattern.patternMatches(line.name); });
    }
    hideCovered(byPattern);
    m_excluded[static_cast<std::size_t>(insertSorted(m_excluded, text))].covers = covers;
    updateCounts();
    if (!m_selected.empty()) {
        m_selected.front().selected = true;
    }
    m_applyEnabled = true;
}

void ExclusionEditor::include() {
    const qsizetype count = selectedCount(m_excluded);
    if (count == 0) {
        return;
    }
    if (count == 1) {
        const auto lone = std::find_if(m_excluded.begin(), m_excluded.end(),
                                       [](const EditorLine& l) { return l.selected; });
        if (!lone->covers && isTutorial(lone->name)) {
            showOk(
                m_messages,
                QStringLiteral("UnrealTournament will not accept a tutorial map in the map list."),
                QStringLiteral("Invalid Selection"));
            return;
        }
    }
    // The game refuses tutorial maps in a map list, so they never leave the excluded list.
    for (EditorLine& line : m_excluded) {
        if (line.selected && !line.covers && isTutorial(line.name)) {
            line.selected = false;
        }
    }
    std::vector<QByteArray> taken = takeSelected(m_excluded);
    removePatterns(taken);
    insertAllSorted(m_selected, std::move(taken));
    updateCounts();
    if (!m_excluded.empty()) {
        m_excluded.front().selected = true;
    }
    m_applyEnabled = true;
}

void ExclusionEditor::hideCovered(const ExclusionMatcher& byPatterns) {
    for (auto line = m_excluded.begin(); line != m_excluded.end();) {
        if (!line->covers && byPatterns.patternMatches(line->name)) {
            m_hidden.push_back(line->name);
            line = m_excluded.erase(line);
        } else {
            ++line;
        }
    }
}

void ExclusionEditor::removePatterns(std::vector<QByteArray>& taken) {
    ExclusionList removed;
    for (const QByteArray& name : taken) {
        if (isMapPattern(name)) {
            removed.push_back(name);
        }
    }
    if (removed.empty()) {
        return;
    }
    std::erase_if(taken, [](const QByteArray& name) { return isMapPattern(name); });
    const ExclusionMatcher byRemoved(removed);
    const ExclusionMatcher byRemaining(patterns());
    // Entries that only a removed pattern hid show again.
    std::vector<QByteArray> shown;
    std::erase_if(m_hidden, [&](const QByteArray& entry) {
        if (byRemaining.patternMatches(entry)) {
            return false;
        }
        shown.push_back(entry);
        return true;
    });
    QSet<QByteArray> entries(m_hidden.begin(), m_hidden.end());
    for (const EditorLine& line : m_excluded) {
        entries.insert(line.name);
    }
    for (const QByteArray& entry : shown) {
        entries.insert(entry);
    }
    // The maps that only the removed patterns excluded return; a tutorial map stays
    // excluded under its own name, since the game refuses it in a map list.
    for (const QByteArray& map : m_maps) {
        if (!byRemoved.patternMatches(map) || byRemaining.patternMatches(map) ||
            entries.contains(map)) {
            continue;
        }
        if (isTutorial(map)) {
            shown.push_back(map);
        } else {
            taken.push_back(map);
        }
    }
    insertAllSorted(m_excluded, std::move(shown));
}

void ExclusionEditor::includeAll() {
    for (EditorLine& line : m_excluded) {
        line.selected = true;
    }
    include();
}

Result ExclusionEditor::apply() {
    platform::FileLock lock;
    return apply(lock);
}

Result ExclusionEditor::apply(platform::FileLock& lock) {
    const BusyPointer busy(m_messages);
    const GameType& type = kGameTypes[static_cast<std::size_t>(m_type)];

    ExclusionList entries = storedEntries();
    // The start-up needs the section with at least one key, and the editor and the
    // randomizer read entry 0: an empty list is stored as one empty entry.
    if (entries.empty()) {
        entries.emplace_back();
    }
    m_state.*type.excludes = entries;

    const QByteArray& path = m_state.settingsPath;
    const bool existed = platform::lookupFile(path).has_value();
    const Result written = writeSection(type, entries, lock);
    if (!written) {
        lock.release();  // no other Rendix waits while the box is up
        // One safe rewrite at most: a failed one leaves the file as it was.
        m_messages.show(
            writeFailedMessage(path, written, existed ? unchangedText() : notCreatedText()));
        return written;
    }
    m_applyEnabled = false;
    return written;
}

Result ExclusionEditor::writeSection(const GameType& type, const ExclusionList& entries,
                                     platform::FileLock& lock) {
    // Another Rendix must not write the file between this reading and rewriting it.
    if (Result locked = lock.acquire(m_state.settingsPath, m_lockTimeoutMs); !locked) {
        return locked;
    }
    return ReplaceSection(m_messages, m_state.settingsPath, type.exclusionSection,
                          type.exclusionKeyPrefix, entries);
}

ExclusionList ExclusionEditor::storedEntries() const {
    ExclusionList entries;
    entries.reserve(m_excluded.size() + m_hidden.size());
    for (const EditorLine& line : m_excluded) {
        entries.push_back(line.name);
    }
    entries.insert(entries.end(), m_hidden.begin(), m_hidden.end());
    return entries;
}

ExclusionList ExclusionEditor::patterns() const {
    ExclusionList found;
    for (const EditorLine& line : m_excluded) {
        if (line.covers) {
            found.push_back(line.name);
        }
    }
    return found;
}

void ExclusionEditor::updateCounts() {
    // Maps, not lines: a pattern's line stands for the maps it matches, each counted once
    // however many patterns match it.
    qsizetype excluded = 0;
    for (const EditorLine& line : m_excluded) {
        excluded += line.covers ? 0 : 1;
    }
    if (excluded < static_cast<qsizetype>(m_excluded.size())) {
        const ExclusionMatcher byPatterns(patterns());
        excluded += std::count_if(m_maps.begin(), m_maps.end(), [&](const QByteArray& map) {
            return byPatterns.patternMatches(map);
        });
    }
    m_selectCount = QString::number(m_selected.size()) + QStringLiteral(" map(s) selected");
    m_excludeCount = QString::number(excluded) + QStringLiteral(" map(s) excluded");
}

}  // namespace rendix
