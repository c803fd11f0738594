#include "maintenance/SectionEdit.h"

#include <QHash>
#include <QSet>

#include <deque>
#include <list>
#include <optional>

#include "platform/FileSystem.h"
#include "platform/Text.h"

// Reads the file as the profile layer does (ini/Profile.h): lines end at CR LF, a lone CR
// or a lone LF; a header is a line whose first non-blank byte is "["; a UTF-8 byte order
// mark stays where it is. The section to edit becomes a list of lines, so each write is a
// hash lookup and a list edit instead of a scan and a splice of the whole file.
namespace rendix {

namespace {

using platform::isBlank;
using platform::isBlankText;
using platform::isBreak;
using platform::trimBlanks;

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF", 3);

qsizetype contentBegin(QByteArrayView bytes) {
    return bytes.startsWith(kUtf8Bom) ? kUtf8Bom.size() : 0;
}

// One line: text [start, textEnd), terminator [textEnd, next).
struct Span {
    qsizetype start = 0;
    qsizetype textEnd = 0;
    qsizetype next = 0;
};

Span lineAt(QByteArrayView bytes, qsizetype start) {
    const qsizetype stop = platform::findLineBreak(bytes, start);
    Span line{start, stop, stop};
    if (stop < bytes.size()) {
        const bool crLf = bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n';
        line.next = stop + (crLf ? 2 : 1);
    }
    return line;
}

QByteArrayView textOf(QByteArrayView bytes, const Span& line) {
    return bytes.sliced(line.start, line.textEnd - line.start);
}

bool isHeader(QByteArrayView text) {
    return trimBlanks(text).startsWith('[');
}

// Whether header line `text` names section `name`: "[", blanks, the name in any letter
// case, blanks, then "]" or the end of the line.
bool headerNames(QByteArrayView text, QByteArrayView name) {
    QByteArrayView rest = trimBlanks(text).sliced(1);
    while (!rest.isEmpty() && isBlank(rest.front())) {
        rest = rest.sliced(1);
    }
    if (rest.size() < name.size() || !platform::equalsFolded(rest.first(name.size()), name)) {
        return false;
    }
    rest = rest.sliced(name.size());
    while (!rest.isEmpty() && isBlank(rest.front())) {
        rest = rest.sliced(1);
    }
    return rest.isEmpty() || rest.front() == ']';
}

// The first section named `name`: its header line, and its body up to the start of the
// next header line or the end of the content.
struct Section {
    Span header;
    qsizetype end = 0;
};

std::optional<Section> findSection(QByteArrayView bytes, QByteArrayView name) {
    if (name.contains(']') || platform::holdsLineBreak(name)) {
        return std::nullopt;
    }
    for (qsizetype p = contentBegin(bytes); p < bytes.size();) {
        const Span line = lineAt(bytes, p);
        const QByteArrayView text = textOf(bytes, line);
        if (isHeader(text) && headerNames(text, name)) {
            qsizetype end = line.next;
            while (end < bytes.size()) {
                const Span body = lineAt(bytes, end);
                if (isHeader(textOf(bytes, body))) {
                    break;
                }
                end = body.next;
            }
            return Section{line, end};
        }
        p = line.next;
    }
    return std::nullopt;
}

struct KeyLine {
    QByteArrayView name;   // blanks at both ends removed
    QByteArrayView value;  // blanks at both ends removed, quotes kept
};

std::optional<KeyLine> parseKeyLine(QByteArrayView text) {
    const QByteArrayView lead = trimBlanks(text);
    const qsizetype equals = text.indexOf('=');
    if (lead.isEmpty() || lead.front() == ';' || equals < 0) {
        return std::nullopt;
    }
    return KeyLine{trimBlanks(text.first(equals)), trimBlanks(text.sliced(equals + 1))};
}

// The terminator of added lines: LF when the first line ends with a lone LF, else CR LF.
QByteArray lineEndOf(QByteArrayView bytes) {
    const Span first = lineAt(bytes, contentBegin(bytes));
    const bool lf = first.next == first.textEnd + 1 && bytes[first.textEnd] == '\n';
    return lf ? QByteArrayLiteral("\n") : QByteArrayLiteral("\r\n");
}

// The text of the content's last line (the content must not be empty), its terminator
// left out.
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

// A missing section goes at the end: after a terminator where the content lacks one, and a
// blank line where it does not end with one, as its header and the key line.
void appendSection(QByteArray& bytes, QByteArrayView name, QByteArrayView key,
                   QByteArrayView value) {
    const QByteArray eol = lineEndOf(bytes);
    QByteArray added;
    if (bytes.size() > contentBegin(bytes)) {
        if (!isBreak(bytes.back())) {
            added += eol;
        }
        if (!isBlankText(lastLineText(bytes))) {
            added += eol;
        }
    }
    added.append('[').append(name).append(']').append(eol);
    added.append(key).append('=').append(value).append(eol);
    bytes += added;
}

struct EditLine {
    QByteArray text;
    QByteArray end;  // the terminator's bytes; empty only for the file's last line
};

using Lines = std::list<EditLine>;

// Applies writes [from, to), all to existing section `section` of `bytes`.
void editSection(QByteArray& bytes, const Section& section, const ini::ProfileWrite* from,
                 const ini::ProfileWrite* to) {
    const QByteArray eol = lineEndOf(bytes);
    QSet<QByteArray> wanted;
    for (const ini::ProfileWrite* write = from; write != to; ++write) {
        wanted.insert(platform::foldCase(trimBlanks(*write->key)));
    }

    Lines lines;
    const auto addLine = [&](const Span& span) {
        lines.push_back(
            {textOf(bytes, span).toByteArray(), bytes.mid(span.textEnd, span.next - span.textEnd)});
    };
    addLine(section.header);
    // Each name's key lines in file order: a write meets the first of them.
    QHash<QByteArray, std::deque<Lines::iterator>> keys;
    Lines::iterator lastNonBlank = lines.begin();
    for (qsizetype p = section.header.next; p < section.end;) {
        const Span span = lineAt(bytes, p);
        addLine(span);
        const Lines::iterator line = std::prev(lines.end());
        if (!isBlankText(line->text)) {
            lastNonBlank = line;
        }
        if (const std::optional<KeyLine> key = parseKeyLine(line->text)) {
            if (QByteArray name = platform::foldCase(key->name); wanted.contains(name)) {
                keys[name].push_back(line);
            }
        }
        p = span.next;
    }

    for (const ini::ProfileWrite* write = from; write != to; ++write) {
        const QByteArrayView key = trimBlanks(*write->key);
        std::deque<Lines::iterator>& found = keys[platform::foldCase(key)];
        if (!found.empty()) {
            const Lines::iterator line = found.front();
            if (!write->value) {
                if (line == lastNonBlank) {
                    // The header is never blank, so the walk ends there at the latest.
                    do {
                        --lastNonBlank;
                    } while (isBlankText(lastNonBlank->text));
                }
                lines.erase(line);
                found.pop_front();
            } else if (const KeyLine parsed = *parseKeyLine(line->text);
                       parsed.value != QByteArrayView(*write->value)) {
                line->text = parsed.name.toByteArray() + '=' + *write->value;
            }
        } else if (write->value) {
            if (lastNonBlank->end.isEmpty()) {
                lastNonBlank->end = eol;  // the file's last line had no terminator
            }
            lastNonBlank = lines.insert(std::next(lastNonBlank),
                                        {key.toByteArray() + '=' + *write->value, eol});
            found.push_back(lastNonBlank);
        }
    }

    QByteArray edited;
    edited.reserve(bytes.size() + 64);
    edited.append(bytes.first(section.header.start));
    for (const EditLine& line : lines) {
        edited.append(line.text).append(line.end);
    }
    edited.append(QByteArrayView(bytes).sliced(section.end));
    bytes = std::move(edited);
}

// The profile layer's refusals, which fail the whole batch.
bool refused(const ini::ProfileWrite& write) {
    if (!write.key || platform::holdsLineBreak(write.section) ||
        platform::holdsLineBreak(*write.key) ||
        (write.value && platform::holdsLineBreak(*write.value)) || write.section.contains(']')) {
        return true;
    }
    const QByteArrayView key = trimBlanks(*write.key);
    return key.contains('=') || key.startsWith(';') || key.startsWith('[');
}

}  // namespace

Result applyKeyWrites(QByteArray& bytes, const std::vector<ini::ProfileWrite>& writes) {
    for (const ini::ProfileWrite& write : writes) {
        if (refused(write)) {
            return Result::failure(
                QStringLiteral("A write would not read back as written; "
                               "nothing was written."));
        }
    }
    QByteArray edited = bytes;
    const ini::ProfileWrite* const end = writes.data() + writes.size();
    for (const ini::ProfileWrite* from = writes.data(); from != end;) {
        // A run of writes to one section is edited at once; runs follow each other.
        const ini::ProfileWrite* to = from;
        while (to != end && to->section == from->section) {
            ++to;
        }
        const QByteArrayView name = trimBlanks(from->section);
        std::optional<Section> section = findSection(edited, name);
        if (!section) {
            // Removals from a missing section change nothing; the first value creates it.
            while (from != to && !from->value) {
                ++from;
            }
            if (from == to) {
                continue;
            }
            appendSection(edited, name, trimBlanks(*from->key), *from->value);
            section = findSection(edited, name);
            ++from;
        }
        if (from != to) {
            editSection(edited, *section, from, to);
        }
        from = to;
    }
    bytes = std::move(edited);
    return Result::success();
}

std::vector<QByteArray> sectionKeyNames(QByteArrayView bytes, QByteArrayView section) {
    std::vector<QByteArray> names;
    if (const std::optional<Section> found = findSection(bytes, trimBlanks(section))) {
        for (qsizetype p = found->header.next; p < found->end;) {
            const Span line = lineAt(bytes, p);
            if (const std::optional<KeyLine> key = parseKeyLine(textOf(bytes, line))) {
                names.push_back(key->name.toByteArray());
            }
            p = line.next;
        }
    }
    return names;
}

}  // namespace rendix
