#include "platform/Text.h"

#include <algorithm>

namespace rendix::platform {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr qsizetype kUtf8BomLength = 3;

// The first CR or LF at or after `p`, or `end`. Most bytes of a text file lie above CR, so
// one comparison rules them out before the two exact tests.
inline const char* findBreak(const char* p, const char* end) {
    while (p != end) {
        const auto c = static_cast<unsigned char>(*p);
        if (c <= '\r' && (c == '\r' || c == '\n')) {
            return p;
        }
        ++p;
    }
    return end;
}

}  // namespace

QByteArrayView lineEndBytes(LineEnd end) {
    switch (end) {
        case LineEnd::CrLf:
            return QByteArrayView("\r\n", 2);
        case LineEnd::Cr:
            return QByteArrayView("\r", 1);
        case LineEnd::Lf:
            return QByteArrayView("\n", 1);
        case LineEnd::None:
            break;
    }
    return {};
}

TextFile splitLines(const QByteArray& bytes) {
    TextFile file;
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    if (QByteArrayView(bytes).startsWith(QByteArrayView(kUtf8Bom, kUtf8BomLength))) {
        file.bom = bytes.first(kUtf8BomLength);
        p += kUtf8BomLength;
    }
    // Every line but the last ends at a CR or LF, so their count bounds the number of lines
    // and the vector never grows while it is filled.
    const auto breaks = std::count_if(p, end, [](char c) { return c == '\r' || c == '\n'; });
    file.lines.reserve(static_cast<size_t>(breaks) + 1);
    while (p != end) {
        const char* const stop = findBreak(p, end);
        Line& line = file.lines.emplace_back();
        if (stop != p) {
            line.text = QByteArray(p, stop - p);
        }
        if (stop == end) {
            line.end = LineEnd::None;
            p = end;
        } else if (*stop == '\n') {
            line.end = LineEnd::Lf;
            p = stop + 1;
        } else if (stop + 1 != end && stop[1] == '\n') {
            line.end = LineEnd::CrLf;
            p = stop + 2;
        } else {
            line.end = LineEnd::Cr;
            p = stop + 1;
        }
    }
    return file;
}

QByteArray joinLines(const TextFile& file) {
    qsizetype size = file.bom.size();
    for (const Line& line : file.lines) {
        size += line.text.size() + lineEndBytes(line.end).size();
    }
    QByteArray bytes;
    bytes.reserve(size);
    bytes += file.bom;
    for (const Line& line : file.lines) {
        bytes += line.text;
        bytes += lineEndBytes(line.end);
    }
    return bytes;
}

LineEnd fileLineEnd(const TextFile& file) {
    if (!file.lines.empty() && file.lines.front().end == LineEnd::Lf) {
        return LineEnd::Lf;
    }
    return LineEnd::CrLf;
}

bool hasUtf16Bom(QByteArrayView bytes) {
    return bytes.startsWith(QByteArrayView("\xFF\xFE", 2)) ||
           bytes.startsWith(QByteArrayView("\xFE\xFF", 2));
}

bool holdsLineBreak(QByteArrayView text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
}

bool holdsControlCharacter(QByteArrayView text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

}  // namespace rendix::platform
