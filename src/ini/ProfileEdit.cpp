#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>

#include "ini/Profile.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

// Every edit replaces byte ranges of the content, found by a scan of the one section it
// concerns, so every byte outside those ranges stays as it was and a write costs little more
// than reading and writing the file.
namespace rendix::ini {

namespace {

using platform::foldByte;
using platform::isBreak;
using platform::trimBlanks;

// [from, to) of the content becomes `with`.
struct Edit {
    qsizetype from = 0;
    qsizetype to = 0;
    QByteArray with;
};

// Makes edits that do not overlap. Bytes shared with the caller's copy are built anew in
// one pass rather than copied whole and then shifted.
void applyEdits(QByteArray& bytes, std::vector<Edit>& edits) {
    if (edits.size() == 1 && bytes.isDetached()) {
        bytes.replace(edits[0].from, edits[0].to - edits[0].from, edits[0].with);
        return;
    }
    if (edits.empty()) {
        return;
    }
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.from < b.from; });
    qsizetype size = bytes.size();
    for (const Edit& edit : edits) {
        size += edit.with.size() - (edit.to - edit.from);
    }
    QByteArray result;
    result.reserve(size);
    qsizetype at = 0;
    for (const Edit& edit : edits) {
        result.append(bytes.constData() + at, edit.from - at).append(edit.with);
        at = edit.to;
    }
    result.append(bytes.constData() + at, bytes.size() - at);
    bytes = std::move(result);
}

// Copies `text` to `out` and returns the position after it.
char* put(char* out, QByteArrayView text) {
    if (!text.isEmpty()) {  // an empty view may have no data at all, which memcpy must not get
        std::memcpy(out, text.data(), static_cast<std::size_t>(text.size()));
    }
    return out + text.size();
}

// Where added lines go and what comes before them there (a terminator for the line before,
// or the start of a new section): an insertion whose text is that lead.
Edit insertionAt(QByteArrayView bytes, qsizetype at, QByteArrayView eol) {
    Edit edit{at, at, {}};
    if (at > contentBegin(bytes) && !isBreak(bytes[at - 1])) {
        edit.with = eol.toByteArray();  // the line before is the last and has no terminator
    }
    return edit;
}

// The text of the last line of the content (which must not be empty), its terminator left
// out.
QByteArrayView lastLineText(QByteArrayView bytes) {
    QByteArrayView text = bytes.sliced(contentBegin(bytes));
    if (text.endsWith("\r\n")) {
        text.chop(2);
    } else if (isBreak(text.back())) {
        text.chop(1);
    }
    qsizetype start = text.size();
    while (start > 0 && !isBreak(text[start - 1])) {
        --start;
    }
    return text.sliced(start);
}

// The start of a new section `name` at the end of the content: a terminator first where the
// content does not end with one, a blank line where it is not empty and does not already end
// with a blank line, then the header.
Edit newSectionAt(QByteArrayView bytes, QByteArrayView name, QByteArrayView eol) {
    Edit edit{bytes.size(), bytes.size(), {}};
    if (bytes.size() > contentBegin(bytes)) {
        if (!isBreak(bytes.back())) {
            edit.with += eol;
        }
        if (!platform::isBlankText(lastLineText(bytes))) {
            edit.with += eol;
        }
    }
    edit.with.append('[').append(name).append(']').append(eol);
    return edit;
}

// The last non-blank line of a section (its header where it has none): lines added to the
// section follow it, so blank lines that part it from the next section stay after them.
// `visit` gets each key line on the way.
template <typename Visit>
LineSpan scanSection(QByteArrayView bytes, const SectionSpan& section, Visit visit) {
    LineSpan last = section.header;
    for (LineScan scan(bytes, section.header.next, section.end); scan.next();) {
        if (const std::optional<KeyText> key = keyLine(scan.text())) {
            visit(scan.line(), *key);
        }
        if (!platform::isBlankText(scan.text())) {
            last = scan.line();
        }
    }
    return last;
}

// Lines added at the end of `section`, after its last non-blank line `last` (scanSection);
// with no section, in a new one named `name`.
Edit sectionEnd(QByteArrayView bytes, const std::optional<SectionSpan>& section,
                const LineSpan& last, QByteArrayView name, QByteArrayView eol) {
    return section ? insertionAt(bytes, last.next, eol) : newSectionAt(bytes, name, eol);
}

// Makes `edits` and the insertion `added`, whose text `write` completes with lines of `room`
// bytes (write(out) puts them at out). The lines are written once, into room made once:
// straight into the content where they are all there is to do at its end, as when a list
// gets a new section. (Appending line by line to a QByteArray costs far more.)
template <typename Write>
void applyEditsAndLines(QByteArray& bytes, std::vector<Edit>& edits, Edit added, qsizetype room,
                        Write write) {
    if (edits.empty() && added.from == bytes.size()) {
        const qsizetype at = bytes.size();
        bytes.resize(at + added.with.size() + room);
        write(put(bytes.data() + at, added.with));
        return;
    }
    const qsizetype at = added.with.size();
    added.with.resize(at + room);
    write(added.with.data() + at);
    edits.push_back(std::move(added));
    applyEdits(bytes, edits);
}

// Adds `lines`, each with `eol`, with the lead of `added`.
void addLines(QByteArray& bytes, Edit added, const std::vector<QByteArray>& lines,
              QByteArrayView eol) {
    qsizetype room = 0;
    for (const QByteArray& line : lines) {
        room += line.size() + eol.size();
    }
    std::vector<Edit> edits;
    applyEditsAndLines(bytes, edits, std::move(added), room, [&](char* out) {
        for (const QByteArray& line : lines) {
            out = put(put(out, line), eol);
        }
    });
}

QString lineBreakRefusal() {
    return QStringLiteral("A section, key or value holds a line break; nothing was written.");
}

// Why a write cannot be made safely, or nothing. A line break would inject lines. A section
// name holding "]", or a key name holding "=" or starting like a comment or a header, would
// be written as a line that reads back as something else (and so never be found again).
std::optional<QString> refusal(QByteArrayView section, std::optional<QByteArrayView> key,
                               std::optional<QByteArrayView> value) {
    if (platform::holdsLineBreak(section) || (key && platform::holdsLineBreak(*key)) ||
        (value && platform::holdsLineBreak(*value))) {
        return lineBreakRefusal();
    }
    if (section.contains(']')) {
        return QStringLiteral("A section name holds \"]\"; nothing was written.");
    }
    if (key) {
        const QByteArrayView name = trimBlanks(*key);
        if (name.contains('=') || name.startsWith(';') || name.startsWith('[')) {
            return QStringLiteral(
                "A key name holds \"=\" or starts with \";\" or \"[\"; "
                "nothing was written.");
        }
    }
    return std::nullopt;
}

// Names, kept as views of the caller's bytes, each with a number; names compare under ASCII
// case folding. Open addressing in one allocation, for runs of thousands of keys.
class FoldedIndex {
public:
    explicit FoldedIndex(std::size_t capacity) {
        std::size_t size = 16;
        while (size < 2 * capacity) {
            size *= 2;
        }
        m_slots.resize(size);
    }
    // Adds `name` with `value`; false, changing nothing, when the name is there already.
    bool insert(QByteArrayView name, qsizetype value) {
        Slot& slot = slotOf(name);
        if (slot.value >= 0) {
            return false;
        }
        slot = {name, value};
        return true;
    }
    // The number of `name`, or -1.
    qsizetype find(QByteArrayView name) { return slotOf(name).value; }

private:
    struct Slot {
        QByteArrayView name;
        qsizetype value = -1;
    };
    Slot& slotOf(QByteArrayView name) {
        std::size_t hash = 14695981039346656037ULL;
        for (const char c : name) {
            hash = (hash ^ static_cast<unsigned char>(foldByte(c))) * 1099511628211ULL;
        }
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = m_slots[at];
            if (slot.value < 0 || platform::equalsFolded(slot.name, name)) {
                return slot;
            }
        }
    }
    std::vector<Slot> m_slots;
};

enum class KeyEdit { Set, Remove };

// Writes to keys of one section that one pass over it makes, giving the bytes that making
// them one by one gives: pairwise different keys (under case folding), which either all get
// a value or all go. Setting a key never changes where another key of the run stands, nor
// which line is the section's last non-blank one (an added key line is never blank);
// removing one never moves another key's first line. A mix of the two could (a removed last
// line moves the place of the next new key), so a run holds one kind only.
//
// A run (WriteRun, IndexedRun) gives section() (trimmed), edit(), size(), key(i) (trimmed,
// valid until the next call), value(i) with KeyEdit::Set, and find(name): the position of
// the key that a key line's name is, or -1.
template <typename Run>
void applyRun(QByteArray& bytes, Run& run) {
    const std::size_t count = run.size();
    const std::optional<SectionSpan> section = findSection(bytes, run.section());
    // The first line of each key of the run, found in the pass that finds the section's last
    // non-blank line.
    struct Found {
        LineSpan line;
        KeyText key;
    };
    std::vector<std::optional<Found>> found(section ? count : 0);
    const auto isNew = [&](std::size_t i) { return !section || !found[i]; };
    LineSpan last;
    if (section) {
        last = scanSection(bytes, *section, [&](const LineSpan& line, const KeyText& key) {
            const qsizetype hit = run.find(key.name);
            if (hit >= 0 && !found[static_cast<std::size_t>(hit)]) {
                found[static_cast<std::size_t>(hit)] = Found{line, key};
            }
        });
    }

    const QByteArrayView eol = addedLineEnd(bytes);
    std::vector<Edit> edits;
    qsizetype room = 0;  // of the new key lines
    for (std::size_t i = 0; i < count; ++i) {
        if (isNew(i)) {
            if (run.edit() == KeyEdit::Set) {
                room += run.key(i).size() + 1 + run.value(i).size() + eol.size();
            }
            continue;
        }
        const Found& line = *found[i];
        if (run.edit() == KeyEdit::Remove) {
            edits.push_back({line.line.start, line.line.next, {}});
        } else if (line.key.value != run.value(i)) {
            QByteArray text = line.key.name.toByteArray();  // as the file spells it
            text.append('=').append(run.value(i));
            edits.push_back({line.line.start, line.line.textEnd, std::move(text)});
        }
    }
    if (room == 0) {
        applyEdits(bytes, edits);
        return;
    }
    applyEditsAndLines(bytes, edits, sectionEnd(bytes, section, last, run.section(), eol), room,
                       [&](char* out) {
                           for (std::size_t i = 0; i < count; ++i) {
                               if (isNew(i)) {
                                   out = put(out, run.key(i));
                                   *out++ = '=';
                                   out = put(put(out, run.value(i)), eol);
                               }
                           }
                       });
}

// The writes from `first` on that make one run: writes to keys of the section of the first,
// with pairwise different keys, that all set a value or all remove their key. The keys are
// views of the writes.
class WriteRun {
public:
    WriteRun(const std::vector<ProfileWrite>& writes, std::size_t first)
        : m_writes(&writes[first]),
          m_section(trimBlanks(writes[first].section)),
          m_edit(writes[first].value ? KeyEdit::Set : KeyEdit::Remove),
          m_index(writes.size() - first) {
        while (first + m_size < writes.size()) {
            const ProfileWrite& write = writes[first + m_size];
            if (!write.key || (write.value ? KeyEdit::Set : KeyEdit::Remove) != m_edit ||
                !platform::equalsFolded(trimBlanks(write.section), m_section) ||
                !m_index.insert(trimBlanks(*write.key), static_cast<qsizetype>(m_size))) {
                break;
            }
            ++m_size;
        }
    }
    QByteArrayView section() const { return m_section; }
    KeyEdit edit() const { return m_edit; }
    std::size_t size() const { return m_size; }
    QByteArrayView key(std::size_t i) const { return trimBlanks(*m_writes[i].key); }
    QByteArrayView value(std::size_t i) const { return *m_writes[i].value; }
    qsizetype find(QByteArrayView name) { return m_index.find(name); }

private:
    const ProfileWrite* m_writes;
    QByteArrayView m_section;
    KeyEdit m_edit;
    FoldedIndex m_index;
    std::size_t m_size = 0;
};

// The keys prefix + i + "]" of an indexed list set to values[i]: made one at a time, and
// found by the index their names spell, so that a list of thousands costs no more room than
// its lines.
class IndexedRun {
public:
    IndexedRun(QByteArrayView section, QByteArrayView prefix, const std::vector<QByteArray>& values)
        : m_section(trimBlanks(section)), m_prefix(prefix), m_values(values) {
        // The key is written trimmed: the blanks before the prefix go.
        while (!m_prefix.isEmpty() && platform::isBlank(m_prefix.front())) {
            m_prefix = m_prefix.sliced(1);
        }
    }
    QByteArrayView section() const { return m_section; }
    KeyEdit edit() const { return KeyEdit::Set; }
    std::size_t size() const { return m_values.size(); }
    QByteArrayView key(std::size_t i) {
        char digits[24];
        const char* const digitsEnd = std::to_chars(digits, digits + sizeof digits, i).ptr;
        m_key.assign(m_prefix.data(), static_cast<std::size_t>(m_prefix.size()));
        m_key.append(digits, static_cast<std::size_t>(digitsEnd - digits)).push_back(']');
        return QByteArrayView(m_key.data(), static_cast<qsizetype>(m_key.size()));
    }
    QByteArrayView value(std::size_t i) const { return m_values[i]; }
    qsizetype find(QByteArrayView name) const {
        return listIndex(name, m_prefix, static_cast<qsizetype>(m_values.size()));
    }

private:
    QByteArrayView m_section;
    QByteArrayView m_prefix;
    const std::vector<QByteArray>& m_values;
    std::string m_key;
};

// Removes the first section named `name` (trimmed): its header and every line of it but the
// comment lines.
void removeSection(QByteArray& bytes, QByteArrayView name) {
    const std::optional<SectionSpan> section = findSection(bytes, name);
    if (!section) {
        return;
    }
    QByteArray kept;
    for (LineScan scan(bytes, section->header.next, section->end); scan.next();) {
        if (isCommentLine(scan.text())) {
            kept += QByteArrayView(bytes).sliced(scan.line().start,
                                                 scan.line().next - scan.line().start);
        }
    }
    std::vector<Edit> edits{{section->header.start, section->end, std::move(kept)}};
    applyEdits(bytes, edits);
}

std::optional<QByteArrayView> viewOf(const std::optional<QByteArray>& text) {
    return text ? std::optional<QByteArrayView>(*text) : std::nullopt;
}

// Applies the writes in order to `bytes`; on failure `bytes` may hold some of them.
Result applyAll(QByteArray& bytes, const std::vector<ProfileWrite>& writes) {
    for (const ProfileWrite& write : writes) {
        if (std::optional<QString> why =
                refusal(write.section, viewOf(write.key), viewOf(write.value))) {
            return Result::failure(*why);
        }
    }
    for (std::size_t first = 0; first < writes.size();) {
        if (!writes[first].key) {
            removeSection(bytes, trimBlanks(writes[first].section));
            ++first;
            continue;
        }
        WriteRun run(writes, first);
        applyRun(bytes, run);
        first += run.size();
    }
    return Result::success();
}

}  // namespace

Result applyProfileWrites(QByteArray& content, const std::vector<ProfileWrite>& writes) {
    QByteArray edited = content;
    if (Result result = applyAll(edited, writes); !result) {
        return result;
    }
    if (edited != content) {
        content = std::move(edited);
    }
    return Result::success();
}

Result applyIndexedWrites(QByteArray& content, QByteArrayView section, QByteArrayView prefix,
                          const std::vector<QByteArray>& values) {
    if (values.empty()) {
        return Result::success();
    }
    IndexedRun run(section, prefix, values);
    // The keys differ in their digits alone, so the first stands for all in the checks of
    // names; every value is checked.
    if (std::optional<QString> why = refusal(section, run.key(0), values[0])) {
        return Result::failure(*why);
    }
    for (const QByteArray& value : values) {
        if (platform::holdsLineBreak(value)) {
            return Result::failure(lineBreakRefusal());
        }
    }
    applyRun(content, run);
    return Result::success();
}

Result writeProfileStrings(const QByteArray& path, const std::vector<ProfileWrite>& writes) {
    return editProfileFile(path, [&](QByteArray& content) { return applyAll(content, writes); });
}

Result editProfileFile(const QByteArray& path, const ContentEdit& edit) {
    const std::optional<QByteArray> target = platform::resolveForWrite(path);
    if (!target) {
        return Result::failure(
            QStringLiteral("The folder of %1 does not exist.").arg(platform::shownName(path)),
            Problem::Missing, path);
    }
    QByteArray bytes;
    if (Result read = platform::readFileChecked(*target, bytes); !read) {
        if (read.problem != Problem::Missing) {
            return read;
        }
        if (platform::resolvePath(*target)) {
            return Result::failure(
                QStringLiteral("%1 cannot be read as a file.").arg(platform::shownName(*target)),
                Problem::Other, *target);
        }
    }
    QByteArray edited = bytes;
    if (Result made = edit(edited); !made) {
        return made;
    }
    if (platform::isUtf16Text(bytes)) {
        return Result::failure(QStringLiteral("%1 is a UTF-16 file; it was not changed.")
                                   .arg(platform::shownName(*target)),
                               Problem::Other, *target);
    }
    if (edited == bytes) {
        return Result::success();  // also writes that end where they began
    }
    return platform::replaceFile(*target, edited);
}

void addSectionLines(QByteArray& content, QByteArrayView section,
                     const std::vector<QByteArray>& lines) {
    if (lines.empty()) {
        return;  // not even a header for them
    }
    const QByteArrayView name = trimBlanks(section);
    const std::optional<SectionSpan> found = findSection(content, name);
    const LineSpan last =
        found ? scanSection(content, *found, [](const LineSpan&, const KeyText&) {}) : LineSpan{};
    const QByteArrayView eol = addedLineEnd(content);
    addLines(content, sectionEnd(content, found, last, name, eol), lines, eol);
}

void insertLines(QByteArray& content, qsizetype at, const std::vector<QByteArray>& lines) {
    if (lines.empty()) {
        return;  // nor a terminator for the line before
    }
    const QByteArrayView eol = addedLineEnd(content);
    addLines(content, insertionAt(content, at, eol), lines, eol);
}

}  // namespace rendix::ini
