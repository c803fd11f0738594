#include "app/MapPatterns.h"

#include <algorithm>

#include "ini/Profile.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace rendix {

namespace {

qsizetype literalLength(QByteArrayView pattern) {
    const auto wildcard =
        std::find_if(pattern.begin(), pattern.end(), [](char c) { return c == '*' || c == '?'; });
    return wildcard - pattern.begin();
}

// The longest run of characters without a wildcard, folded: every name the pattern matches
// holds it.
QByteArray longestLiteral(QByteArrayView pattern) {
    QByteArrayView longest;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= pattern.size(); ++i) {
        if (i == pattern.size() || pattern[i] == '*' || pattern[i] == '?') {
            if (i - start > longest.size()) {
                longest = pattern.sliced(start, i - start);
            }
            start = i + 1;
        }
    }
    return platform::foldCase(longest);
}

}  // namespace

bool isMapPattern(QByteArrayView entry) {
    return entry.contains('*') || entry.contains('?');
}

std::optional<QString> patternProblem(QByteArrayView pattern) {
    if (pattern.isEmpty()) {
        return QStringLiteral("The pattern is empty.");
    }
    if (pattern.contains('/') || pattern.contains('\\')) {
        return QStringLiteral(
            "A map file name holds no folder, so the pattern cannot hold / or \\.");
    }
    if (platform::holdsControlCharacter(pattern)) {
        return QStringLiteral("The pattern holds a control character.");
    }
    if (pattern.size() > ini::kMaxValueLength) {
        return QStringLiteral("The pattern is longer than %1 characters.")
            .arg(ini::kMaxValueLength);
    }
    if (platform::trimBlanks(pattern).size() != pattern.size()) {
        return QStringLiteral("The pattern begins or ends with a blank.");
    }
    if (pattern.size() >= 2 && (pattern.front() == '"' || pattern.front() == '\'') &&
        pattern.back() == pattern.front()) {
        return QStringLiteral("The pattern is enclosed in quotes.");
    }
    return std::nullopt;
}

ExclusionMatcher::ExclusionMatcher(const ExclusionList& entries) {
    for (const QByteArray& entry : entries) {
        if (!isMapPattern(entry)) {
            m_names.insert(entry);
            continue;
        }
        const qsizetype length = literalLength(entry);
        auto group = std::find_if(m_byLength.begin(), m_byLength.end(),
                                  [&](const Beginnings& b) { return b.length == length; });
        if (group == m_byLength.end()) {
            group = m_byLength.insert(m_byLength.end(), Beginnings{length, {}});
        }
        Pattern pattern{entry, longestLiteral(entry), {}};
        addBytes(pattern.needs, pattern.needle);
        group->patterns[platform::foldCase(entry.first(length))].push_back(std::move(pattern));
    }
}

void ExclusionMatcher::addBytes(ByteSet& set, QByteArrayView text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        set[byte / 64] |= quint64(1) << (byte % 64);
    }
}

bool ExclusionMatcher::excludes(const QByteArray& name) const {
    return m_names.contains(name) || patternMatches(name);
}

bool ExclusionMatcher::patternMatches(const QByteArray& name) const {
    if (m_byLength.empty()) {
        return false;
    }
    // Folded on the stack: this runs once per map for lists of tens of thousands.
    std::array<char, 256> buffer;
    const QByteArray longName =
        name.size() > qsizetype(buffer.size()) ? platform::foldCase(name) : QByteArray();
    if (longName.isEmpty()) {
        std::transform(name.begin(), name.end(), buffer.begin(), platform::foldByte);
    }
    const QByteArray folded =
        longName.isEmpty() ? QByteArray::fromRawData(buffer.data(), name.size()) : longName;
    ByteSet holds{};
    addBytes(holds, folded);
    for (const Beginnings& group : m_byLength) {
        if (folded.size() < group.length) {
            continue;
        }
        // A view of the folded name's beginning, without a copy, as the hash key.
        const auto found =
            group.patterns.constFind(QByteArray::fromRawData(folded.constData(), group.length));
        if (found == group.patterns.cend()) {
            continue;
        }
        for (const Pattern& pattern : *found) {
            // Cheap tests first: a name that lacks a byte of the needle cannot hold it.
            const bool mayHold =
                (pattern.needs[0] & ~holds[0]) == 0 && (pattern.needs[1] & ~holds[1]) == 0 &&
                (pattern.needs[2] & ~holds[2]) == 0 && (pattern.needs[3] & ~holds[3]) == 0;
            if (mayHold && folded.contains(pattern.needle) &&
                platform::wildcardMatch(pattern.text, name)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace rendix
