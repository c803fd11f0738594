#include <QSet>

#include <algorithm>

#include "ini/Profile.h"
#include "platform/Files.h"
#include "platform/Text.h"

// Reads look at single lines only inside the section they need (findSection skips the rest
// by searching for "["), so a read costs little more than reading the file.
namespace rendix::ini {

namespace {

using platform::trimBlanks;

// Calls `visit` with the key of each key line of `section`, in file order, until it returns
// false.
template <typename Visit>
void visitKeys(QByteArrayView bytes, const SectionSpan& section, Visit visit) {
    for (LineScan scan(bytes, section.header.next, section.end); scan.next();) {
        if (const std::optional<KeyText> key = keyLine(scan.text())) {
            if (!visit(*key)) {
                return;
            }
        }
    }
}

// Calls `visit` with the key of each key line of the first section named `section`.
template <typename Visit>
void visitSectionKeys(QByteArrayView bytes, QByteArrayView section, Visit visit) {
    if (const std::optional<SectionSpan> found = findSection(bytes, trimBlanks(section))) {
        visitKeys(bytes, *found, [&](const KeyText& key) {
            visit(key);
            return true;
        });
    }
}

}  // namespace

std::optional<QByteArray> profileValue(QByteArrayView bytes, QByteArrayView section,
                                       QByteArrayView key) {
    const std::optional<SectionSpan> found = findSection(bytes, trimBlanks(section));
    if (!found) {
        return std::nullopt;
    }
    const QByteArrayView name = trimBlanks(key);
    std::optional<QByteArray> value;
    visitKeys(bytes, *found, [&](const KeyText& line) {
        if (!platform::equalsFolded(line.name, name)) {
            return true;
        }
        value = readValue(line.value);
        return false;
    });
    return value;
}

std::vector<QByteArray> profileValues(QByteArrayView bytes, QByteArrayView section,
                                      QByteArrayView key) {
    std::vector<QByteArray> values;
    const QByteArrayView name = trimBlanks(key);
    visitSectionKeys(bytes, section, [&](const KeyText& line) {
        if (platform::equalsFolded(line.name, name)) {
            values.push_back(readValue(line.value));
        }
    });
    return values;
}

std::vector<QByteArray> profileKeyNames(QByteArrayView bytes, QByteArrayView section) {
    std::vector<QByteArray> names;
    visitSectionKeys(bytes, section,
                     [&](const KeyText& line) { names.push_back(line.name.toByteArray()); });
    return names;
}

std::vector<std::vector<QByteArray>> profileIndexedValues(QByteArrayView bytes,
                                                          const std::vector<IndexedList>& lists) {
    std::vector<std::vector<QByteArray>> values;
    std::vector<std::vector<bool>> taken;
    std::vector<QByteArray> sections;  // folded, trimmed
    for (const IndexedList& list : lists) {
        const auto count = static_cast<std::size_t>(std::max<qsizetype>(list.count, 0));
        values.emplace_back(count);
        taken.emplace_back(count, false);
        sections.push_back(platform::foldCase(trimBlanks(list.section)));
    }
    QSet<QByteArray> seen;            // only the first section of a name is read
    std::vector<std::size_t> active;  // the lists of the section the pass is in
    for (LineScan scan(bytes); scan.next();) {
        const QByteArrayView text = scan.text();
        if (const std::optional<QByteArrayView> name = headerName(text)) {
            const QByteArray folded = platform::foldCase(*name);
            active.clear();
            if (!seen.contains(folded)) {
                seen.insert(folded);
                for (std::size_t i = 0; i < lists.size(); ++i) {
                    if (sections[i] == folded) {
                        active.push_back(i);
                    }
                }
            }
            continue;
        }
        if (active.empty()) {
            continue;
        }
        const std::optional<KeyText> key = keyLine(text);
        if (!key) {
            continue;
        }
        for (const std::size_t i : active) {
            const qsizetype index =
                listIndex(key->name, trimBlanks(lists[i].prefix), lists[i].count);
            if (index >= 0 && !taken[i][static_cast<std::size_t>(index)]) {
                taken[i][static_cast<std::size_t>(index)] = true;  // the first key of a name
                values[i][static_cast<std::size_t>(index)] = readValue(key->value);
            }
        }
    }
    return values;
}

std::optional<QByteArray> readProfileString(const QByteArray& path, QByteArrayView section,
                                            QByteArrayView key) {
    const std::optional<QByteArray> bytes = platform::readFile(path);
    if (!bytes) {
        return std::nullopt;
    }
    return profileValue(QByteArrayView(*bytes), section, key);
}

}  // namespace rendix::ini
