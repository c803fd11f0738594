#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

#include "platform/Text.h"

// The lines of an INI file as the profile layer reads them, on the file's raw bytes: a line
// ends at CR LF, a lone CR, a lone LF or the end of the content, and a UTF-8 byte order mark
// at the start is skipped (and stays where it is). Reading and editing, and every command
// that looks at single lines of the game's configuration, build on these, so that a header
// or a key line means the same everywhere.
//
// A reader of one section's key lines with their numbers, for example, is
//   for (LineScan scan(bytes); scan.next();)
//       headerName(scan.text()) opens or closes the section; inside it, keyLine(scan.text())
//       gives the key as spelled and its value, scan.number() the line's number.
namespace rendix::ini {

// The longest value a read returns: Windows' profile reads fill a 255-character buffer.
inline constexpr int kMaxValueLength = 254;

// Where the lines of the content begin: after a UTF-8 byte order mark, or at 0.
inline qsizetype contentBegin(QByteArrayView bytes) {
    return bytes.startsWith(platform::kUtf8Bom) ? platform::kUtf8Bom.size() : 0;
}

// One line of the content: its text is [start, textEnd), its terminator [textEnd, next).
struct LineSpan {
    qsizetype start = 0;
    qsizetype textEnd = 0;
    qsizetype next = 0;

    // Whether the line has a terminator (only the last line of the content may lack one).
    bool terminated() const { return next != textEnd; }
};

// The line that starts at `start` (a position at which a line begins). Inline, as the other
// line primitives: every reader calls them once a line.
inline LineSpan lineAt(QByteArrayView bytes, qsizetype start) {
    const qsizetype stop = platform::findLineBreak(bytes, start);
    LineSpan line{start, stop, stop};
    if (stop < bytes.size()) {
        const bool crLf = bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n';
        line.next = stop + (crLf ? 2 : 1);
    }
    return line;
}

// The lines of the content in order, numbered from 1; or those that begin in [from, to),
// numbered from 1 at the one at `from`. The content must outlive the scan.
class LineScan {
public:
    explicit LineScan(QByteArrayView bytes) : LineScan(bytes, contentBegin(bytes), bytes.size()) {}
    LineScan(QByteArrayView bytes, qsizetype from, qsizetype to)
        : m_bytes(bytes), m_at(from), m_to(to) {}

    // Moves to the next line; false, changing nothing, after the last.
    bool next() {
        if (m_at >= m_to) {
            return false;
        }
        m_line = lineAt(m_bytes, m_at);
        m_at = m_line.next;
        ++m_number;
        return true;
    }
    const LineSpan& line() const { return m_line; }
    QByteArrayView text() const {
        return m_bytes.sliced(m_line.start, m_line.textEnd - m_line.start);
    }
    qsizetype number() const { return m_number; }

private:
    QByteArrayView m_bytes;
    qsizetype m_at;
    qsizetype m_to;
    LineSpan m_line;
    qsizetype m_number = 0;
};

// The section a header line names: the line's first non-blank character is "[", and the
// name runs to the first "]" (or the end of the line), blanks at both ends removed. Nothing
// for any other line.
inline std::optional<QByteArrayView> headerName(QByteArrayView line) {
    const QByteArrayView text = platform::trimBlanks(line);
    if (!text.startsWith('[')) {
        return std::nullopt;
    }
    QByteArrayView name = text.sliced(1);
    if (const qsizetype close = name.indexOf(']'); close >= 0) {
        name = name.first(close);
    }
    return platform::trimBlanks(name);
}

// Whether the line's first non-blank character is ";".
inline bool isCommentLine(QByteArrayView line) {
    return platform::trimBlanks(line).startsWith(';');
}

// A key line: the key as spelled and the value, each without blanks at either end; the
// value keeps its quotes (readValue removes them).
struct KeyText {
    QByteArrayView name;
    QByteArrayView value;
};

// The key of a line that holds "=" and is no comment line; nothing for any other line.
inline std::optional<KeyText> keyLine(QByteArrayView line) {
    const QByteArrayView lead = platform::trimBlanks(line);
    if (lead.isEmpty() || lead.front() == ';') {
        return std::nullopt;
    }
    const qsizetype equals = line.indexOf('=');
    if (equals < 0) {
        return std::nullopt;
    }
    return KeyText{platform::trimBlanks(line.first(equals)),
                   platform::trimBlanks(line.sliced(equals + 1))};
}

// The index that a key name gives in an indexed list ("Maps[0]", "DM.Ex[12]"): the name is
// `prefix` (compared under ASCII case folding) + the index in decimal, without leading zeros,
// + "]". -1 for any other name, and for an index of `count` or more.
qsizetype listIndex(QByteArrayView name, QByteArrayView prefix, qsizetype count);

// A value as a read returns it: one pair of quotes (' or ") that encloses a value of two or
// more characters removed, then cut to kMaxValueLength.
QByteArray readValue(QByteArrayView value);

// A section: its header line, and its body from the line after the header up to the start
// of the next header line (or the end of the content).
struct SectionSpan {
    LineSpan header;
    qsizetype end = 0;
};

// The first section whose header names `name` (compared under ASCII case folding; the
// caller trims it); nothing when there is none, or when `name` holds "]", CR or LF, which no
// header can name. Only the lines that start with "[" after blanks are looked at, so the
// many lines of other sections cost little.
std::optional<SectionSpan> findSection(QByteArrayView bytes, QByteArrayView name);

// The terminator of lines added to existing content: the one its first line ends with (CR
// LF, a lone LF or a lone CR), and CR LF where no line of it is terminated.
QByteArrayView addedLineEnd(QByteArrayView bytes);

}  // namespace rendix::ini
