#include "platform/Text.h"

#include <algorithm>

namespace rendix::platform {

QByteArrayView trimBlanks(QByteArrayView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first])) {
        ++first;
    }
    while (last > first && isBlank(text[last - 1])) {
        --last;
    }
    return text.sliced(first, last - first);
}

bool isBlankText(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), isBlank);
}

qsizetype findLineBreak(QByteArrayView bytes, qsizetype from) {
    return std::find_if(bytes.begin() + from, bytes.end(), isBreak) - bytes.begin();
}

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
    if (QByteArrayView(bytes).startsWith(kUtf8Bom)) {
        file.bom = bytes.first(kUtf8Bom.size());
        p += kUtf8Bom.size();
    }
    // Every line but the last ends at a CR or LF, so their count bounds the number of lines
    // and the vector never grows while it is filled. (It counts CR LF twice; the pages of a
    // large reservation that are never written are never touched.)
    file.lines.reserve(static_cast<std::size_t>(std::count_if(p, end, isBreak)) + 1);
    while (p != end) {
        const char* const stop = std::find_if(p, end, isBreak);
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

bool isUtf16Text(QByteArrayView bytes) {
    if (bytes.startsWith(QByteArrayView("\xFF\xFE", 2)) ||
        bytes.startsWith(QByteArrayView("\xFE\xFF", 2))) {
        return true;
    }
    // The first lines are enough: a real INI file has no NUL there, and a UTF-16 one has one
    // beside every ASCII character.
    constexpr qsizetype kLook = 512;
    const QByteArrayView head = bytes.first(std::min(bytes.size(), kLook) & ~qsizetype(1));
    if (head.isEmpty()) {
        return false;
    }
    bool evenNul = true;
    bool oddNul = true;
    for (qsizetype i = 0; i < head.size(); i += 2) {
        evenNul = evenNul && head[i] == '\0';
        oddNul = oddNul && head[i + 1] == '\0';
    }
    return evenNul || oddNul;
}

bool holdsLineBreak(QByteArrayView text) {
    return std::any_of(text.begin(), text.end(), isBreak);
}

bool holdsControlCharacter(QByteArrayView text) {
    return std::any_of(text.begin(), text.end(), isControlByte);
}

QByteArray foldCase(QByteArrayView text) {
    QByteArray folded(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), folded.begin(), foldByte);
    return folded;
}

bool equalsFolded(QByteArrayView a, QByteArrayView b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldByte(x) == foldByte(y);
           });
}

QByteArray upperCase(QByteArrayView text) {
    QByteArray upper(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), upper.begin(), upperByte);
    return upper;
}

QByteArray swapCase(QByteArrayView text) {
    QByteArray swapped(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), swapped.begin(), [](char c) {
        const char lower = foldByte(c);
        return lower != c ? lower : upperByte(c);
    });
    return swapped;
}

}  // namespace rendix::platform
