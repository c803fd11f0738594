#include "ini/LineScan.h"

#include <algorithm>
#include <cstring>

#include "platform/Text.h"

namespace rendix::ini {

using platform::foldByte;
using platform::isBlank;
using platform::isBreak;

qsizetype listIndex(QByteArrayView name, QByteArrayView prefix, qsizetype count) {
    if (!name.endsWith(']') || name.size() < prefix.size() + 2 ||
        !platform::equalsFolded(name.first(prefix.size()), prefix)) {
        return -1;
    }
    const QByteArrayView digits = name.sliced(prefix.size(), name.size() - prefix.size() - 1);
    if (digits.size() > 1 && digits.front() == '0') {
        return -1;  // one number has one spelling
    }
    qsizetype index = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9' || index >= count) {
            return -1;
        }
        index = index * 10 + (c - '0');
    }
    return index < count ? index : -1;
}

QByteArray readValue(QByteArrayView value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.sliced(1, value.size() - 2);
    }
    return value.first(std::min<qsizetype>(value.size(), kMaxValueLength)).toByteArray();
}

namespace {

// The position of the next "[" at or after `from` that begins a header line: only blanks
// stand between it and the start of its line. -1 when there is none.
qsizetype nextHeaderBracket(QByteArrayView bytes, qsizetype begin, qsizetype from) {
    const char* const data = bytes.data();
    const qsizetype size = bytes.size();
    while (from < size) {
        const void* found = std::memchr(data + from, '[', static_cast<size_t>(size - from));
        if (!found) {
            break;
        }
        const qsizetype bracket = static_cast<const char*>(found) - data;
        qsizetype before = bracket - 1;
        while (before >= begin && isBlank(data[before])) {
            --before;
        }
        if (before < begin || isBreak(data[before])) {
            return bracket;
        }
        from = bracket + 1;
    }
    return -1;
}

qsizetype lineStartOf(QByteArrayView bytes, qsizetype begin, qsizetype bracket) {
    qsizetype start = bracket;
    while (start > begin && isBlank(bytes[start - 1])) {
        --start;
    }
    return start;
}

// Whether the header whose "[" stands at `bracket` names section `name`. Stops at the first
// byte that differs, so the many headers that differ cost little.
bool headerNames(QByteArrayView bytes, qsizetype bracket, QByteArrayView name) {
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

}  // namespace

std::optional<SectionSpan> findSection(QByteArrayView bytes, QByteArrayView name) {
    if (name.contains(']') || platform::holdsLineBreak(name)) {
        return std::nullopt;
    }
    const qsizetype begin = contentBegin(bytes);
    for (qsizetype bracket = nextHeaderBracket(bytes, begin, begin); bracket >= 0;
         bracket = nextHeaderBracket(bytes, begin, bracket + 1)) {
        if (headerNames(bytes, bracket, name)) {
            const LineSpan header = lineAt(bytes, lineStartOf(bytes, begin, bracket));
            const qsizetype following = nextHeaderBracket(bytes, begin, header.next);
            return SectionSpan{header,
                               following < 0 ? bytes.size() : lineStartOf(bytes, begin, following)};
        }
    }
    return std::nullopt;
}

QByteArrayView addedLineEnd(QByteArrayView bytes) {
    const LineSpan first = lineAt(bytes, contentBegin(bytes));
    if (first.next == first.textEnd + 1) {
        return platform::lineEndBytes(bytes[first.textEnd] == '\n' ? platform::LineEnd::Lf
                                                                   : platform::LineEnd::Cr);
    }
    return platform::lineEndBytes(platform::LineEnd::CrLf);
}

}  // namespace rendix::ini
