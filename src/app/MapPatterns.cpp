#include "app/MapPatterns.h"

#include <algorithm>

#include "ini/Profile.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace rendix {

namespace {

qsizetype literalLength(QByteArrayView pattern) {
    const auto wildcard =
        std::find_if(pattern.begin(), pattern.end(), [](char c) { return c == '*' || c == '?'; });
    return wildcard - pattern.begin();
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
        group->patterns[platform::foldCase(entry.first(length))].push_back(entry);
    }
}

bool ExclusionMatcher::excludes(const QByteArray& name) const {
    return m_names.contains(name) || patternMatches(name);
}

bool ExclusionMatcher::patternMatches(const QByteArray& name) const {
    if (m_byLength.empty()) {
        return false;
    }
    const QByteArray folded = platform::foldCase(name);
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
        for (const QByteArray& pattern : *found) {
            if (platform::wildcardMatch(pattern, name)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace rendix
