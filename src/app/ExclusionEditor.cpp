#include "app/ExclusionEditor.h"

#include <QSet>

#include <algorithm>
#include <optional>

#include "app/Failures.h"
#include "app/Install.h"
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

}  // namespace

bool editorLess(const QByteArray& a, const QByteArray& b) {
    return platform::listingLess(a, b);
}

qsizetype insertSorted(std::vector<EditorLine>& lines, const QByteArray& name) {
    const auto after = std::find_if(lines.begin(), lines.end(), [&](const EditorLine& line) {
        return editorLess(name, line.name);
    });
    return lines.insert(after, EditorLine{name, false}) - lines.begin();
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

    const Install install = Install::of(m_state);
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
            if (install.findMap(entry)) {
                m_excluded.push_back({entry, false});
            }
        }
    }

    // An unreadable maps folder shows as one without maps.
    platform::Listing listing = install.listMaps(type.mapPattern);
    // A name holding a line break or another control character could never be stored (it
    // would break its line of the settings file), and the randomizer leaves such maps out.
    std::erase_if(listing.names,
                  [](const QByteArray& name) { return platform::holdsControlCharacter(name); });
    insertAllSorted(m_selected, std::move(listing.names));
    if (m_selected.empty()) {
        m_selected.push_back(
            {QByteArrayLiteral("No ") + type.code + QByteArrayLiteral(" maps found"), false});
    }

    // Exact comparison: a map excluded under another letter case stays selectable.
    QSet<QByteArray> excludedNames;
    for (const EditorLine& line : m_excluded) {
        excludedNames.insert(line.name);
    }
    std::erase_if(m_selected,
                  [&](const EditorLine& line) { return excludedNames.contains(line.name); });
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

void ExclusionEditor::include() {
    const qsizetype count = selectedCount(m_excluded);
    if (count == 0) {
        return;
    }
    if (count == 1) {
        const auto lone = std::find_if(m_excluded.begin(), m_excluded.end(),
                                       [](const EditorLine& l) { return l.selected; });
        if (isTutorial(lone->name)) {
            showOk(
                m_messages,
                QStringLiteral("UnrealTournament will not accept a tutorial map in the map list."),
                QStringLiteral("Invalid Selection"));
            return;
        }
    }
    // The game refuses tutorial maps in a map list, so they never leave the excluded list.
    for (EditorLine& line : m_excluded) {
        if (line.selected && isTutorial(line.name)) {
            line.selected = false;
        }
    }
    insertAllSorted(m_selected, takeSelected(m_excluded));
    updateCounts();
    if (!m_excluded.empty()) {
        m_excluded.front().selected = true;
    }
    m_applyEnabled = true;
}

void ExclusionEditor::includeAll() {
    for (EditorLine& line : m_excluded) {
        line.selected = true;
    }
    include();
}

Result ExclusionEditor::apply() {
    const BusyPointer busy(m_messages);
    const GameType& type = kGameTypes[static_cast<std::size_t>(m_type)];

    ExclusionList entries;
    entries.reserve(m_excluded.size());
    for (const EditorLine& line : m_excluded) {
        entries.push_back(line.name);
    }
    // The start-up needs the section with at least one key, and the editor and the
    // randomizer read entry 0: an empty list is stored as one empty entry.
    if (entries.empty()) {
        entries.emplace_back();
    }
    m_state.*type.excludes = entries;

    const QByteArray& path = m_state.settingsPath;
    const bool existed = platform::lookupFile(path).has_value();
    const Result written = writeSection(type, entries);
    if (!written) {
        // One safe rewrite at most: a failed one leaves the file as it was.
        m_messages.show(
            writeFailedMessage(path, written, existed ? unchangedText() : notCreatedText()));
        return written;
    }
    m_applyEnabled = false;
    return written;
}

Result ExclusionEditor::writeSection(const GameType& type, const ExclusionList& entries) {
    // Another Rendix must not write the file between this reading and rewriting it.
    platform::FileLock lock;
    if (Result locked = lock.acquire(m_state.settingsPath, m_lockTimeoutMs); !locked) {
        return locked;
    }
    return ReplaceSection(m_messages, m_state.settingsPath, type.exclusionSection,
                          type.exclusionKeyPrefix, entries);
}

void ExclusionEditor::updateCounts() {
    m_selectCount = QString::number(m_selected.size()) + QStringLiteral(" map(s) selected");
    m_excludeCount = QString::number(m_excluded.size()) + QStringLiteral(" map(s) excluded");
}

}  // namespace rendix
