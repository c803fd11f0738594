#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// Text lines of 8-bit files. A line ends at CR LF, at a lone CR, at a lone LF or at the
// end of the file; the terminator is not part of the line. NUL and other control bytes are
// ordinary bytes of a line.
namespace rendix::platform {

// The UTF-8 byte order mark, kept where it stands at the start of a file and skipped by parsing.
inline constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF", 3);

// Letter case. Only the ASCII letters have one: every other byte, 0x80 and above included,
// stays as it is, so that no name changes with the locale.

// ASCII case folding of one byte: only A-Z change, to a-z.
constexpr char foldByte(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The other way: only a-z change, to A-Z.
constexpr char upperByte(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The text folded byte by byte (foldByte): the form in which names compare without regard
// to case.
QByteArray foldCase(QByteArrayView text);
bool equalsFolded(QByteArrayView a, QByteArrayView b);

// The text with its ASCII letters in upper case (upperByte).
QByteArray upperCase(QByteArrayView text);

// The text with every ASCII letter in the other case: "Maps" gives "mAPS".
QByteArray swapCase(QByteArrayView text);

// CR or LF: the bytes that end lines.
constexpr bool isBreak(char c) {
    return c == '\r' || c == '\n';
}

// A control byte: below 0x20, or 0x7F.
constexpr bool isControlByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

// A blank: space or tab, the only bytes that INI parsing trims.
constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The text without blanks at either end.
QByteArrayView trimBlanks(QByteArrayView text);

// Whether the text is empty or holds blanks only.
bool isBlankText(QByteArrayView text);

enum class LineEnd { None, CrLf, Cr, Lf };

struct Line {
    QByteArray text;
    LineEnd end = LineEnd::CrLf;
};

struct TextFile {
    QByteArray bom;  // a UTF-8 byte order mark that stood at the start, kept as it was
    std::vector<Line> lines;
};

QByteArrayView lineEndBytes(LineEnd end);

// The position of the first CR or LF at or after `from`, or bytes.size() when there is none.
qsizetype findLineBreak(QByteArrayView bytes, qsizetype from);

// Splits file content into lines. A UTF-8 byte order mark is moved to `bom`. An empty
// file has no lines; content that ends with a terminator has no empty last line.
TextFile splitLines(const QByteArray& bytes);

// Joins the lines back, each with its own terminator, after the byte order mark.
// joinLines(splitLines(b)) == b for every b.
QByteArray joinLines(const TextFile& file);

// Whether content is UTF-16 text: it starts with a UTF-16 byte order mark (FF FE or FE FF),
// or, without one, its first lines hold a NUL in every other byte (ASCII text stored as
// UTF-16 in either byte order). Such a file is never modified.
bool isUtf16Text(QByteArrayView bytes);

// Whether the text holds a CR or LF byte (which would inject a line into a file).
bool holdsLineBreak(QByteArrayView text);

// Whether the text holds any control byte (isControlByte).
bool holdsControlCharacter(QByteArrayView text);

}  // namespace rendix::platform
