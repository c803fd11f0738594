#include "platform/Paths.h"

#include <QFile>

#include <algorithm>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/Seam.h"
#include "platform/Text.h"

namespace rendix::platform {

namespace {

// A byte's place in the listing order, before ties are broken: a-z count as A-Z, and so
// "[", "\", "]", "^", "_" and "`" come after every letter.
unsigned char listingKey(char c) {
    return static_cast<unsigned char>(upperByte(c));
}

}  // namespace

QByteArray joinPath(const QByteArray& base, std::initializer_list<QByteArrayView> parts) {
    const QByteArray between = separator();
    QByteArray path = base;
    for (QByteArrayView part : parts) {
        path += between;
        path += part;
    }
    return path;
}

PathParts splitPath(QByteArrayView path) {
    const qsizetype root = rootLength(path);
    PathParts parts{path.first(root).toByteArray(), {}};
    qsizetype start = root;
    for (qsizetype i = root; i <= path.size(); ++i) {
        if (i == path.size() || isSeparator(path[i])) {
            if (i > start) {
                parts.names.push_back(path.sliced(start, i - start).toByteArray());
            }
            start = i + 1;
        }
    }
    return parts;
}

QByteArray joinParts(const PathParts& parts, std::size_t count) {
    const QByteArray between = separator();
    QByteArray path = parts.root;
    for (std::size_t i = 0; i < count && i < parts.names.size(); ++i) {
        if (i > 0) {
            path += between;
        }
        path += parts.names[i];
    }
    return path;
}

QByteArray parentPath(QByteArrayView path) {
    const PathParts parts = splitPath(path);
    return joinParts(parts, parts.names.empty() ? 0 : parts.names.size() - 1);
}

QByteArray lastName(QByteArrayView path) {
    const PathParts parts = splitPath(path);
    return parts.names.empty() ? QByteArray() : parts.names.back();
}

QString shownName(QByteArrayView name) {
    QByteArray escaped;
    escaped.reserve(name.size());
    for (const char c : name) {
        if (isControlByte(c)) {
            escaped += QByteArrayLiteral("\\x") +
                       QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
        } else {
            escaped += c;
        }
    }
    return QFile::decodeName(escaped);
}

bool byteLess(QByteArrayView a, QByteArrayView b) {
    const qsizetype common = std::min(a.size(), b.size());
    const int c = common ? std::memcmp(a.data(), b.data(), static_cast<size_t>(common)) : 0;
    return c != 0 ? c < 0 : a.size() < b.size();
}

bool wildcardMatch(QByteArrayView pattern, QByteArrayView name) {
    // Greedy matching with one backtrack point: the last "*" seen.
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || foldByte(pattern[p]) == foldByte(name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool listingLess(QByteArrayView a, QByteArrayView b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const unsigned char x = listingKey(a[i]);
        const unsigned char y = listingKey(b[i]);
        if (x != y) {
            return x < y;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return byteLess(a, b);
}

void sortInListingOrder(std::vector<QByteArray>& names) {
    // Each name's key, a-z folded to A-Z, is made once; comparing keys is then a plain
    // comparison of bytes, which is what listingLess does one byte at a time.
    struct Keyed {
        QByteArray key;
        QByteArray name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (QByteArray& name : names) {
        QByteArray key = upperCase(name);
        keyed.push_back({std::move(key), std::move(name)});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int byKey = a.key.compare(b.key);
        return byKey != 0 ? byKey < 0 : byteLess(a.name, b.name);
    });
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = std::move(keyed[i].name);
    }
}

std::optional<QByteArray> resolveForWrite(const QByteArray& path) {
    PathParts split = splitPath(path);
    if (split.names.empty()) {
        return std::nullopt;
    }
    const QByteArray name = split.names.back();
    split.names.pop_back();
    const std::optional<QByteArray> dir = resolveFolder(split);
    if (!dir) {
        return std::nullopt;
    }
    const QByteArray folder = split.names.empty() && split.root.isEmpty() ? QByteArray() : *dir;
    return entryPath(folder, name);
}

Listing listFiles(const QByteArray& dir, QByteArrayView pattern, Links links) {
    if (injectFault(Operation::List)) {
        return {false, {}};
    }
    const std::optional<QByteArray> resolved = resolveFolder(splitPath(dir));
    if (!resolved) {
        return {};
    }
    return listResolvedFiles(*resolved, pattern, links);
}

Listing listFolders(const QByteArray& dir) {
    if (injectFault(Operation::List)) {
        return {false, {}};
    }
    const std::optional<QByteArray> resolved = resolveFolder(splitPath(dir));
    if (!resolved) {
        return {false, {}};
    }
    return listResolvedFolders(*resolved);
}

Listing sortedListing(bool ok, std::vector<QByteArray> names) {
    Listing listing{ok, {}};
    if (ok) {
        listing.names = std::move(names);
    }
    sortInListingOrder(listing.names);
    return listing;
}

}  // namespace rendix::platform
