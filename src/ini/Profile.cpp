#include "ini/Profile.h"

#include <QSet>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

// The profile layer works on the raw bytes of a file rather than on split lines: a lookup
// finds headers by searching for "[" and looks at single lines only inside the section it
// needs, and an edit replaces one byte range. So a read or a write costs little more than
// reading or writing the file, and every byte outside the edited range stays as it was.
namespace rendix::ini {

namespace {

using platform::LineEnd;

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF", 3);

using platform::foldByte;
using platform::isBlank;
using platform::isBlankText;
using platform::isBreak;

QByteArrayView trimmed(QByteArrayView text) {
    return platform::trimBlanks(text);
}

// One line of the content: its text is [start, textEnd), its terminator [textEnd, next).
struct LineSpan {
    qsizetype start = 0;
    qsizetype textEnd = 0;
    qsizetype next = 0;
};

LineSpan lineAt(QByteArrayView bytes, qsizetype start) {
    const qsizetype stop = platform::findLineBreak(bytes, start);
    LineSpan line{start, stop, stop};
    if (stop < bytes.size()) {
        const bool crLf = bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n';
        line.next = stop + (crLf ? 2 : 1);
    }
    return line;
}

// The content of a file as the profile layer reads it: the bytes after a UTF-8 byte order
// mark, which stays where it is.
struct Content {
    QByteArrayView bytes;
    qsizetype begin = 0;

    explicit Content(QByteArrayView all)
        : bytes(all), begin(all.startsWith(kUtf8Bom) ? kUtf8Bom.size() : 0) {}

    QByteArrayView text(const LineSpan& line) const {
        return bytes.sliced(line.start, line.textEnd - line.start);
    }
};

// The position of the next "[" at or after `from` that begins a header line: only blanks
// stand between it and the start of its line. -1 when there is none.
qsizetype nextHeaderBracket(const Content& content, qsizetype from) {
    const char* const data = content.bytes.data();
    const qsizetype size = content.bytes.size();
    while (from < size) {
        const void* found = std::memchr(data + from, '[', static_cast<size_t>(size - from));
        if (!found) {
            break;
        }
        const qsizetype bracket = static_cast<const char*>(found) - data;
        qsizetype before = bracket - 1;
        while (before >= content.begin && isBlank(data[before])) {
            --before;
        }
        if (before < content.begin || isBreak(data[before])) {
            return bracket;
        }
        from = bracket + 1;
    }
    return -1;
}

qsizetype lineStartOf(const Content& content, qsizetype bracket) {
    qsizetype start = bracket;
    while (start > content.begin && isBlank(content.bytes[start - 1])) {
        --start;
    }
    return start;
}

// Whether the header whose "[" stands at `bracket` names section `name` (trimmed, and free
// of "]", CR and LF). Stops at the first byte that differs, so the many headers that differ
// cost little.
bool headerNames(const Content& content, qsizetype bracket, QByteArrayView name) {
    const QByteArrayView bytes = content.bytes;
    qsizetype p = bracket + 1;
    while (p < bytes.size() && isBlank(bytes[p])) {
        ++p;
    }
    if (bytes.size() - p < name.size()) {
        return false;
    }
    for (const char c : name) {
        if (foldByte(bytes[p]) != foldByte(c)) {
            return false;
        }
        ++p;
    }
    while (p < bytes.size() && isBlank(bytes[p])) {
        ++p;
    }
    return p == bytes.size() || bytes[p] == ']' || isBreak(bytes[p]);
}

// A section: its header line, and its body from the line after the header up to the start
// of the next header line (or the end of the content).
struct SectionSpan {
    LineSpan header;
    qsizetype end = 0;
};

std::optional<SectionSpan> findSection(const Content& content, QByteArrayView name) {
    if (name.contains(']') || platform::holdsLineBreak(name)) {
        return std::nullopt;  // no header can name it
    }
    for (qsizetype bracket = nextHeaderBracket(content, content.begin); bracket >= 0;
         bracket = nextHeaderBracket(content, bracket + 1)) {
        if (headerNames(content, bracket, name)) {
            const LineSpan header = lineAt(content.bytes, lineStartOf(content, bracket));
            const qsizetype following = nextHeaderBracket(content, header.next);
            return SectionSpan{
                header, following < 0 ? content.bytes.size() : lineStartOf(content, following)};
        }
    }
    return std::nullopt;
}

// A key line: the line, the key name as spelled (blanks removed) and the raw value text.
struct KeyLine {
    LineSpan line;
    QByteArrayView name;
    QByteArrayView value;  // blanks at both ends removed, quotes kept
};

std::optional<KeyLine> parseKeyLine(const Content& content, const LineSpan& line) {
    const QByteArrayView text = content.text(line);
    const QByteArrayView lead = trimmed(text);
    if (lead.isEmpty() || lead.front() == ';') {
        return std::nullopt;
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 0) {
        return std::nullopt;
    }
    return KeyLine{line, trimmed(text.first(equals)), trimmed(text.sliced(equals + 1))};
}

std::optional<KeyLine> findKey(const Content& content, const SectionSpan& section,
                               QByteArrayView name) {
    for (qsizetype p = section.header.next; p < section.end;) {
        const LineSpan line = lineAt(content.bytes, p);
        if (std::optional<KeyLine> key = parseKeyLine(content, line)) {
            if (platform::equalsFolded(key->name, name)) {
                return key;
            }
        }
        p = line.next;
    }
    return std::nullopt;
}

QByteArray unquoted(QByteArrayView value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.sliced(1, value.size() - 2);
    }
    return value.first(std::min<qsizetype>(value.size(), kMaxValueLength)).toByteArray();
}

QByteArrayView lineEndOf(const Content& content) {
    const LineSpan first = lineAt(content.bytes, content.begin);
    if (first.next == first.textEnd + 1 && content.bytes[first.textEnd] == '\n') {
        return platform::lineEndBytes(LineEnd::Lf);
    }
    return platform::lineEndBytes(LineEnd::CrLf);
}

// The text of the last line of the content (which must not be empty), its terminator left
// out.
QByteArrayView lastLineText(const Content& content) {
    QByteArrayView text = content.bytes.sliced(content.begin);
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

// What a new section appended to the content starts with: a terminator where the content
// does not end with one, a blank line where it is not empty and does not already end with a
// blank line, then the header.
QByteArray newSectionStart(const Content& content, QByteArrayView name, QByteArrayView eol) {
    QByteArray start;
    if (content.bytes.size() > content.begin) {
        if (!isBreak(content.bytes.back())) {
            start += eol;
        }
        if (!isBlankText(lastLineText(content))) {
            start += eol;
        }
    }
    start.append('[').append(name).append(']').append(eol);
    return start;
}

// Appends to `bytes` within room made once (and given back unused when it dies), so that
// thousands of new lines neither grow the array line by line nor copy the old bytes again.
class Appender {
public:
    Appender(QByteArray& bytes, qsizetype room) : m_bytes(bytes), m_at(bytes.size()) {
        bytes.resize(m_at + room);
        m_out = bytes.data();
        m_end = m_out + bytes.size();
    }
    ~Appender() { m_bytes.truncate(m_at); }
    Appender(const Appender&) = delete;
    Appender& operator=(const Appender&) = delete;

    void put(QByteArrayView text) {
        if (text.isEmpty()) {
            return;  // an empty value may have no data at all, which memcpy must not get
        }
        std::memcpy(m_out + m_at, text.data(), static_cast<std::size_t>(text.size()));
        m_at += text.size();
    }
    void putNumber(std::size_t number) {
        m_at = std::to_chars(m_out + m_at, m_end, number).ptr - m_out;
    }

private:
    QByteArray& m_bytes;
    qsizetype m_at;
    char* m_out = nullptr;
    char* m_end = nullptr;
};

// Replaces [from, to) of `bytes` with `with`. Bytes shared with the caller's copy are
// built anew in one pass rather than copied whole and then shifted.
void splice(QByteArray& bytes, qsizetype from, qsizetype to, const QByteArray& with) {
    if (bytes.isDetached()) {
        bytes.replace(from, to - from, with);
        return;
    }
    QByteArray result;
    result.reserve(bytes.size() - (to - from) + with.size());
    result.append(bytes.constData(), from)
        .append(with)
        .append(bytes.constData() + to, bytes.size() - to);
    bytes = std::move(result);
}

// Why a write cannot be made safely, or nothing. A line break would inject lines. A section
// name holding "]", or a key name holding "=" or starting like a comment or a header, would
// be written as a line that reads back as something else (and so never be found again).
std::optional<QString> refusal(const ProfileWrite& write) {
    if (platform::holdsLineBreak(write.section) ||
        (write.key && platform::holdsLineBreak(*write.key)) ||
        (write.value && platform::holdsLineBreak(*write.value))) {
        return QStringLiteral("A section, key or value holds a line break; nothing was written.");
    }
    if (write.section.contains(']')) {
        return QStringLiteral("A section name holds \"]\"; nothing was written.");
    }
    if (write.key) {
        const QByteArrayView key = trimmed(*write.key);
        if (key.contains('=') || key.startsWith(';') || key.startsWith('[')) {
            return QStringLiteral(
                "A key name holds \"=\" or starts with \";\" or \"[\"; "
                "nothing was written.");
        }
    }
    return std::nullopt;
}

// Applies one write to whole file content. Sets `changed` when the bytes changed.
Result applyWrite(QByteArray& bytes, const ProfileWrite& write, bool& changed) {
    if (std::optional<QString> why = refusal(write)) {
        return Result::failure(*why);
    }
    const Content content(bytes);
    const QByteArrayView sectionName = trimmed(write.section);
    const std::optional<SectionSpan> section = findSection(content, sectionName);

    if (!write.key) {
        if (!section) {
            return Result::success();
        }
        // The header and every line of the section go, except comment lines.
        QByteArray kept;
        for (qsizetype p = section->header.next; p < section->end;) {
            const LineSpan line = lineAt(content.bytes, p);
            const QByteArrayView lead = trimmed(content.text(line));
            if (!lead.isEmpty() && lead.front() == ';') {
                kept += content.bytes.sliced(line.start, line.next - line.start);
            }
            p = line.next;
        }
        splice(bytes, section->header.start, section->end, kept);
        changed = true;
        return Result::success();
    }

    const QByteArrayView keyName = trimmed(*write.key);
    const QByteArrayView eol = lineEndOf(content);
    if (!section) {
        if (!write.value) {
            return Result::success();
        }
        QByteArray added = newSectionStart(content, sectionName, eol);
        added.append(keyName).append('=').append(*write.value).append(eol);
        bytes += added;
        changed = true;
        return Result::success();
    }

    const std::optional<KeyLine> key = findKey(content, *section, keyName);
    if (key) {
        if (!write.value) {
            splice(bytes, key->line.start, key->line.next, {});
        } else if (key->value == QByteArrayView(*write.value)) {
            return Result::success();
        } else {
            QByteArray line = key->name.toByteArray();
            line.append('=').append(*write.value);
            splice(bytes, key->line.start, key->line.textEnd, line);
        }
        changed = true;
        return Result::success();
    }
    if (!write.value) {
        return Result::success();
    }
    // A new key follows the section's last non-blank line, so blank lines that part the
    // section from the next one stay after it.
    LineSpan last = section->header;
    for (qsizetype p = section->header.next; p < section->end;) {
        const LineSpan line = lineAt(content.bytes, p);
        if (!isBlankText(content.text(line))) {
            last = line;
        }
        p = line.next;
    }
    QByteArray added;
    if (last.next == last.textEnd) {
        added += eol;  // the last line of the file had no terminator
    }
    added.append(keyName).append('=').append(*write.value).append(eol);
    bytes.insert(last.next, added);
    changed = true;
    return Result::success();
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

// Writes that can be made in one pass over their section, because the same writes made
// one by one would give the same bytes: they name the same section and pairwise different
// keys, and either all set a value or all remove their key. Setting a key never changes
// where another key of the run stands, nor which line is the section's last non-blank
// one (an added key line is never blank); removing one never moves another key's first
// line. A mix of the two could (a removed last line moves the place of the next new key),
// so a run holds one kind only.
qsizetype runLength(const std::vector<ProfileWrite>& writes, std::size_t first) {
    const ProfileWrite& lead = writes[first];
    if (!lead.key) {
        return 1;
    }
    const QByteArrayView section = trimmed(lead.section);
    FoldedIndex keys(writes.size() - first);
    std::size_t end = first;
    for (; end < writes.size(); ++end) {
        const ProfileWrite& write = writes[end];
        if (!write.key || write.value.has_value() != lead.value.has_value() ||
            !platform::equalsFolded(trimmed(write.section), section) ||
            !keys.insert(trimmed(*write.key), 0)) {
            break;
        }
    }
    return static_cast<qsizetype>(end - first);
}

// Applies a run of writes (see runLength) of at least two in one pass over the section,
// giving the bytes that applying them one by one gives.
Result applyRun(QByteArray& bytes, const ProfileWrite* run, qsizetype count, bool& changed) {
    for (qsizetype i = 0; i < count; ++i) {
        if (std::optional<QString> why = refusal(run[i])) {
            return Result::failure(*why);
        }
    }
    const bool setting = run[0].value.has_value();
    const Content content(bytes);
    const QByteArrayView sectionName = trimmed(run[0].section);
    const std::optional<SectionSpan> section = findSection(content, sectionName);
    const QByteArrayView eol = lineEndOf(content);

    if (!section) {
        if (!setting) {
            return Result::success();
        }
        // The first write adds the section at the end, and every later one its key line
        // after the last line of that section, which is the end of the file.
        const QByteArray start = newSectionStart(content, sectionName, eol);
        qsizetype size = bytes.size() + start.size();
        for (qsizetype i = 0; i < count; ++i) {
            size += trimmed(*run[i].key).size() + run[i].value->size() + 1 + eol.size();
        }
        Appender out(bytes, size - bytes.size());
        out.put(start);
        for (qsizetype i = 0; i < count; ++i) {
            out.put(trimmed(*run[i].key));
            out.put("=");
            out.put(*run[i].value);
            out.put(eol);
        }
        changed = true;
        return Result::success();
    }

    // The first line of each key of the run, found in one pass over the section.
    FoldedIndex wanted(static_cast<std::size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        wanted.insert(trimmed(*run[i].key), i);
    }
    std::vector<std::optional<KeyLine>> found(static_cast<std::size_t>(count));
    LineSpan last = section->header;
    for (qsizetype p = section->header.next; p < section->end;) {
        const LineSpan line = lineAt(content.bytes, p);
        if (std::optional<KeyLine> key = parseKeyLine(content, line)) {
            const qsizetype hit = wanted.find(key->name);
            if (hit >= 0 && !found[static_cast<std::size_t>(hit)]) {
                found[static_cast<std::size_t>(hit)] = key;
            }
        }
        if (!isBlankText(content.text(line))) {
            last = line;
        }
        p = line.next;
    }

    // The edits as byte ranges in file order: [from, to) becomes `with`.
    struct Edit {
        qsizetype from;
        qsizetype to;
        QByteArray with;
    };
    std::vector<Edit> edits;
    QByteArray added;
    for (qsizetype i = 0; i < count; ++i) {
        const ProfileWrite& write = run[i];
        const std::optional<KeyLine>& key = found[static_cast<std::size_t>(i)];
        if (!key) {
            if (setting) {
                added.append(trimmed(*write.key)).append('=').append(*write.value).append(eol);
            }
        } else if (!setting) {
            edits.push_back({key->line.start, key->line.next, {}});
        } else if (key->value != QByteArrayView(*write.value)) {
            QByteArray line = key->name.toByteArray();
            line.append('=').append(*write.value);
            edits.push_back({key->line.start, key->line.textEnd, std::move(line)});
        }
    }
    if (!added.isEmpty()) {
        if (last.next == last.textEnd) {
            added.prepend(eol);  // the last line of the file had no terminator
        }
        edits.push_back({last.next, last.next, std::move(added)});
    }
    if (edits.empty()) {
        return Result::success();
    }
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.from < b.from; });
    QByteArray result;
    qsizetype size = bytes.size();
    for (const Edit& edit : edits) {
        size += edit.with.size() - (edit.to - edit.from);
    }
    result.reserve(size);
    qsizetype at = 0;
    for (const Edit& edit : edits) {
        result.append(content.bytes.sliced(at, edit.from - at)).append(edit.with);
        at = edit.to;
    }
    result.append(content.bytes.sliced(at));
    bytes = std::move(result);
    changed = true;
    return Result::success();
}

Result applyAll(QByteArray& bytes, const std::vector<ProfileWrite>& writes, bool& changed) {
    for (std::size_t i = 0; i < writes.size();) {
        const qsizetype run = runLength(writes, i);
        Result result = run > 1 ? applyRun(bytes, &writes[i], run, changed)
                                : applyWrite(bytes, writes[i], changed);
        if (!result) {
            return result;
        }
        i += static_cast<std::size_t>(run);
    }
    return Result::success();
}

}  // namespace

Result applyProfileWrites(QByteArray& content, const std::vector<ProfileWrite>& writes) {
    QByteArray edited = content;
    bool changed = false;
    if (Result result = applyAll(edited, writes, changed); !result) {
        return result;
    }
    if (changed) {
        content = std::move(edited);
    }
    return Result::success();
}

Result applyIndexedWrites(QByteArray& content, QByteArrayView section, QByteArrayView prefix,
                          const std::vector<QByteArray>& values) {
    if (values.empty()) {
        return Result::success();
    }
    // The keys differ in their digits alone, so the first stands for all in the checks of
    // names; every value is checked.
    const ProfileWrite first{section.toByteArray(), prefix.toByteArray() + "0]", values[0]};
    if (std::optional<QString> why = refusal(first)) {
        return Result::failure(*why);
    }
    for (const QByteArray& value : values) {
        if (platform::holdsLineBreak(value)) {
            return Result::failure(
                QStringLiteral("A section, key or value holds a line break; nothing was written."));
        }
    }
    const Content existing(content);
    const QByteArrayView sectionName = trimmed(section);
    if (!findSection(existing, sectionName)) {
        // Every key is new: the first write adds the section at the end, and every later one
        // its key line after the last line of that section, which is the end of the file.
        const QByteArrayView eol = lineEndOf(existing);
        const QByteArray start = newSectionStart(existing, sectionName, eol);
        QByteArrayView lead = prefix;  // as the key is written: blanks before it removed
        while (!lead.isEmpty() && isBlank(lead.front())) {
            lead = lead.sliced(1);
        }
        qsizetype size = content.size() + start.size();
        for (const QByteArray& value : values) {
            size += lead.size() + 22 + value.size() + eol.size();  // 22: digits, "]" and "="
        }
        Appender out(content, size - content.size());
        out.put(start);
        for (std::size_t i = 0; i < values.size(); ++i) {
            out.put(lead);
            out.putNumber(i);
            out.put("]=");
            out.put(values[i]);
            out.put(eol);
        }
        return Result::success();
    }
    std::vector<ProfileWrite> writes;
    writes.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        QByteArray key = prefix.toByteArray();
        key.append(QByteArray::number(static_cast<qulonglong>(i))).append(']');
        writes.push_back({first.section, std::move(key), values[i]});
    }
    return applyProfileWrites(content, writes);
}

std::optional<QByteArray> profileValue(QByteArrayView bytes, QByteArrayView section,
                                       QByteArrayView key) {
    const Content content(bytes);
    const std::optional<SectionSpan> found = findSection(content, trimmed(section));
    if (!found) {
        return std::nullopt;
    }
    const std::optional<KeyLine> line = findKey(content, *found, trimmed(key));
    if (!line) {
        return std::nullopt;
    }
    return unquoted(line->value);
}

namespace {

// Calls `visit` with each key line of the first section named `section`, in file order.
template <typename Visit>
void forEachKeyLine(QByteArrayView bytes, QByteArrayView section, Visit visit) {
    const Content content(bytes);
    const std::optional<SectionSpan> found = findSection(content, trimmed(section));
    for (qsizetype p = found ? found->header.next : 0; found && p < found->end;) {
        const LineSpan line = lineAt(content.bytes, p);
        if (const std::optional<KeyLine> keyLine = parseKeyLine(content, line)) {
            visit(*keyLine);
        }
        p = line.next;
    }
}

}  // namespace

std::vector<QByteArray> profileValues(QByteArrayView bytes, QByteArrayView section,
                                      QByteArrayView key) {
    std::vector<QByteArray> values;
    const QByteArrayView name = trimmed(key);
    forEachKeyLine(bytes, section, [&](const KeyLine& line) {
        if (platform::equalsFolded(line.name, name)) {
            values.push_back(unquoted(line.value));
        }
    });
    return values;
}

std::vector<QByteArray> profileKeyNames(QByteArrayView bytes, QByteArrayView section) {
    std::vector<QByteArray> names;
    forEachKeyLine(bytes, section,
                   [&](const KeyLine& line) { names.push_back(line.name.toByteArray()); });
    return names;
}

std::vector<std::vector<QByteArray>> profileIndexedValues(QByteArrayView bytes,
                                                          const std::vector<IndexedList>& lists) {
    std::vector<std::vector<QByteArray>> values;
    std::vector<std::vector<bool>> taken;
    std::vector<QByteArray> sections;  // folded, trimmed
    for (const IndexedList& list : lists) {
        const auto count = static_cast<std::size_t>(std::max<qsizetype>(list.count, 0));
        values.emplace_back(count);
        taken.emplace_back(count, false);
        sections.push_back(platform::foldCase(trimmed(list.section)));
    }
    const Content content(bytes);
    QSet<QByteArray> seen;            // only the first section of a name is read
    std::vector<std::size_t> active;  // the lists of the section the pass is in
    for (qsizetype p = content.begin; p < content.bytes.size();) {
        const LineSpan line = lineAt(content.bytes, p);
        p = line.next;
        const QByteArrayView text = trimmed(content.text(line));
        if (text.startsWith('[')) {
            // The name runs to the first "]" or the end of the line, blanks removed.
            QByteArrayView name = text.sliced(1);
            if (const qsizetype close = name.indexOf(']'); close >= 0) {
                name = name.first(close);
            }
            const QByteArray folded = platform::foldCase(trimmed(name));
            active.clear();
            if (!seen.contains(folded)) {
                seen.insert(folded);
                for (std::size_t i = 0; i < lists.size(); ++i) {
                    if (sections[i] == folded) {
                        active.push_back(i);
                    }
                }
            }
            continue;
        }
        if (active.empty()) {
            continue;
        }
        const std::optional<KeyLine> key = parseKeyLine(content, line);
        if (!key || !key->name.endsWith(']')) {
            continue;
        }
        for (const std::size_t i : active) {
            // A key names index i exactly when it is prefix + the decimal digits of i + "]"
            // under case folding: digits without a leading zero (other than "0" itself)
            // spell one number.
            const QByteArrayView lead = trimmed(lists[i].prefix);
            const qsizetype count = lists[i].count;
            if (key->name.size() < lead.size() + 2 ||
                !platform::equalsFolded(key->name.first(lead.size()), lead)) {
                continue;
            }
            const QByteArrayView digits =
                key->name.sliced(lead.size(), key->name.size() - lead.size() - 1);
            if (digits.size() > 1 && digits.front() == '0') {
                continue;
            }
            qsizetype index = 0;
            for (const char c : digits) {
                if (c < '0' || c > '9' || index >= count) {
                    index = count;
                    break;
                }
                index = index * 10 + (c - '0');
            }
            if (index < count && !taken[i][static_cast<std::size_t>(index)]) {
                taken[i][static_cast<std::size_t>(index)] = true;  // the first key of a name
                values[i][static_cast<std::size_t>(index)] = unquoted(key->value);
            }
        }
    }
    return values;
}

std::optional<QByteArray> readProfileString(const QByteArray& path, QByteArrayView section,
                                            QByteArrayView key) {
    const std::optional<QByteArray> bytes = platform::readFile(path);
    if (!bytes) {
        return std::nullopt;
    }
    return profileValue(QByteArrayView(*bytes), section, key);
}

Result writeProfileStrings(const QByteArray& path, const std::vector<ProfileWrite>& writes) {
    const std::optional<QByteArray> target = platform::resolveForWrite(path);
    if (!target) {
        return Result::failure(
            QStringLiteral("The folder of %1 does not exist.").arg(QString::fromLocal8Bit(path)));
    }
    QByteArray bytes;
    if (std::optional<QByteArray> existing = platform::readFile(*target)) {
        bytes = std::move(*existing);
    } else if (platform::resolvePath(*target)) {
        return Result::failure(
            QStringLiteral("%1 cannot be read as a file.").arg(QString::fromLocal8Bit(*target)));
    }
    if (platform::isUtf16Text(bytes)) {
        return Result::failure(QStringLiteral("%1 is a UTF-16 file; it was not changed.")
                                   .arg(QString::fromLocal8Bit(*target)));
    }
    QByteArray edited = bytes;
    bool changed = false;
    if (Result result = applyAll(edited, writes, changed); !result) {
        return result;
    }
    // Writes that end where they began (a value set and set back, or "  v  " written over
    // "k=  v  ") leave the file alone as well.
    if (!changed || edited == bytes) {
        return Result::success();
    }
    return platform::replaceFile(*target, edited);
}

}  // namespace rendix::ini
