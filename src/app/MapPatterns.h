#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSet>
#include <QString>

#include <array>
#include <optional>
#include <vector>

#include "app/ModMain.h"

// Exclusion entries that leave out whole families of maps. An entry that holds "*" or "?"
// is a pattern: it leaves out every map of its game type whose file name it matches as the
// map listings match ("*" any run of characters, "?" exactly one, letter case ignored;
// platform::wildcardMatch). Any other entry names one map exactly, letter case included.
// Patterns are stored in Rendix.ini as ordinary entries ("CTF.Ex[7]=CTF-BT-*").
namespace rendix {

// Whether the entry is a pattern: it holds "*" or "?".
bool isMapPattern(QByteArrayView entry);

// Why `pattern` cannot be an exclusion entry, or nothing when it can: it must not be empty,
// hold a path separator or a control character, be longer than the settings file reads
// back, begin or end with a blank, or be enclosed in quotes (the settings file would read
// such a value back as something else).
std::optional<QString> patternProblem(QByteArrayView pattern);

// Answers for many map file names whether an exclusion list leaves them out. Built once per
// list; a question then costs a set lookup for the plain entries and, for the patterns, a
// hash lookup per distinct length of their literal beginnings (the text before the first
// wildcard), and a look for the bytes and then the text of its longest literal part, before
// the matcher runs, so that hundreds of patterns over tens of thousands of maps
// stay cheap.
class ExclusionMatcher {
public:
    explicit ExclusionMatcher(const ExclusionList& entries);

    // Whether a plain entry equals `name` exactly or a pattern matches it.
    bool excludes(const QByteArray& name) const;
    // Whether a pattern of the list matches `name`.
    bool patternMatches(const QByteArray& name) const;
    bool hasPatterns() const { return !m_byLength.empty(); }

private:
    QSet<QByteArray> m_names;
    // The bytes a folded text holds, one bit each.
    using ByteSet = std::array<quint64, 4>;
    struct Pattern {
        QByteArray text;
        QByteArray needle;  // its longest part without wildcards, folded
        ByteSet needs;      // the bytes of the needle
    };
    static void addBytes(ByteSet& set, QByteArrayView text);
    // Per length of the literal beginning: the folded beginnings and their patterns.
    struct Beginnings {
        qsizetype length;
        QHash<QByteArray, std::vector<Pattern>> patterns;
    };
    std::vector<Beginnings> m_byLength;
};

}  // namespace rendix
