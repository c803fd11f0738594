#include "maintenance/SectionEdit.h"

#include <QHash>
#include <QSet>

#include <deque>
#include <list>
#include <optional>

#include "platform/FileSystem.h"
#include "platform/Text.h"

// Reads the file as the profile layer does (ini/Profile.h): lines as platform::splitLines
// gives them (a UTF-8 byte order mark kept aside); a header is a line whose first non-blank
// byte is "[". The section to edit becomes a list of lines, so each write is a hash lookup
// and a list edit instead of a scan and a splice of the whole file.
namespace rendix {

namespace {

using platform::isBlank;
using platform::isBlankText;
using platform::Line;
using platform::LineEnd;
using platform::trimBlanks;

using LineList = std::vector<Line>;

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

// The first section named `name`: the index of its header line and the end of its body,
// the next header line or the number of lines.
struct Section {
    std::size_t header = 0;
    std::size_t end = 0;
};

std::optional<Section> findSection(const LineList& lines, QByteArrayView name) {
    if (name.contains(']') || platform::holdsLineBreak(name)) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isHeader(lines[i].text) && headerNames(lines[i].text, name)) {
            std::size_t end = i + 1;
            while (end < lines.size() && !isHeader(lines[end].text)) {
                ++end;
            }
            return Section{i, end};
        }
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

// Whether an empty line ended by a lone LF right after a line ended by a lone CR: their
// bytes read back as one CR LF, and the profile layer, which edits bytes, then sees one line.
template <typename Iterator>
bool mergesWithPrevious(Iterator previous, Iterator line) {
    return previous->end == LineEnd::Cr && line->text.isEmpty() && line->end == LineEnd::Lf;
}

// A missing section goes at the end: after a terminator where the last line lacks one, and
// a blank line where that line is not blank, as its header and the key line.
void appendSection(LineList& lines, LineEnd eol, QByteArrayView name, QByteArrayView key,
                   QByteArrayView value) {
    if (!lines.empty()) {
        if (lines.back().end == LineEnd::None) {
            lines.back().end = eol;
        }
        if (!isBlankText(lines.back().text)) {
            lines.push_back({QByteArray(), eol});
            if (mergesWithPrevious(lines.end() - 2, lines.end() - 1)) {
                lines.pop_back();
                lines.back().end = LineEnd::CrLf;
            }
        }
    }
    lines.push_back({'[' + name.toByteArray() + ']', eol});
    lines.push_back({key.toByteArray() + '=' + value.toByteArray(), eol});
}

using Lines = std::list<Line>;

// Applies writes [from, to), all to existing section `section` of `lines`.
void editSection(LineList& lines, LineEnd eol, const Section& section,
                 const ini::ProfileWrite* from, const ini::ProfileWrite* to) {
    QSet<QByteArray> wanted;
    for (const ini::ProfileWrite* write = from; write != to; ++write) {
        wanted.insert(platform::foldCase(trimBlanks(*write->key)));
    }
    const auto first = lines.begin() + static_cast<std::ptrdiff_t>(section.header);
    const auto last = lines.begin() + static_cast<std::ptrdiff_t>(section.end);
    Lines edited(std::make_move_iterator(first), std::make_move_iterator(last));
    // Each name's key lines in file order: a write meets the first of them.
    QHash<QByteArray, std::deque<Lines::iterator>> keys;
    Lines::iterator lastNonBlank = edited.begin();
    for (auto line = std::next(edited.begin()); line != edited.end(); ++line) {
        if (!isBlankText(line->text)) {
            lastNonBlank = line;
        }
        if (const std::optional<KeyLine> key = parseKeyLine(line->text)) {
            if (QByteArray name = platform::foldCase(key->name); wanted.contains(name)) {
                keys[name].push_back(line);
            }
        }
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
                found.pop_front();
                const Lines::iterator next = edited.erase(line);
                if (next != edited.end() && mergesWithPrevious(std::prev(next), next)) {
                    std::prev(next)->end = LineEnd::CrLf;
                    edited.erase(next);
                }
            } else if (const KeyLine parsed = *parseKeyLine(line->text);
                       parsed.value != QByteArrayView(*write->value)) {
                line->text = parsed.name.toByteArray() + '=' + *write->value;
            }
        } else if (write->value) {
            if (lastNonBlank->end == LineEnd::None) {
                lastNonBlank->end = eol;  // the file's last line had no terminator
            }
            lastNonBlank = edited.insert(std::next(lastNonBlank),
                                         {key.toByteArray() + '=' + *write->value, eol});
            found.push_back(lastNonBlank);
        }
    }

    const auto at = lines.erase(first, last);
    lines.insert(at, std::make_move_iterator(edited.begin()),
                 std::make_move_iterator(edited.end()));
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
    platform::TextFile file = platform::splitLines(bytes);
    // Added lines change neither the first line's terminator nor whether there is one.
    const LineEnd eol = platform::fileLineEnd(file);
    const ini::ProfileWrite* const end = writes.data() + writes.size();
    for (const ini::ProfileWrite* from = writes.data(); from != end;) {
        // A run of writes to one section is edited at once; runs follow each other.
        const ini::ProfileWrite* to = from;
        while (to != end && to->section == from->section) {
            ++to;
        }
        const QByteArrayView name = trimBlanks(from->section);
        std::optional<Section> section = findSection(file.lines, name);
        if (!section) {
            // Removals from a missing section change nothing; the first value creates it.
            while (from != to && !from->value) {
                ++from;
            }
            if (from == to) {
                continue;
            }
            appendSection(file.lines, eol, name, trimBlanks(*from->key), *from->value);
            section = Section{file.lines.size() - 2, file.lines.size()};
            ++from;
        }
        if (from != to) {
            editSection(file.lines, eol, *section, from, to);
        }
        from = to;
    }
    bytes = platform::joinLines(file);
    return Result::success();
}

std::vector<QByteArray> sectionKeyNames(QByteArrayView bytes, QByteArrayView section) {
    std::vector<QByteArray> names;
    const platform::TextFile file = platform::splitLines(bytes.toByteArray());
    if (const std::optional<Section> found = findSection(file.lines, trimBlanks(section))) {
        for (std::size_t i = found->header + 1; i < found->end; ++i) {
            if (const std::optional<KeyLine> key = parseKeyLine(file.lines[i].text)) {
                names.push_back(key->name.toByteArray());
            }
        }
    }
    return names;
}

}  // namespace rendix
