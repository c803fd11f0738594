#include "ini/IniHandler.h"

#include <algorithm>
#include <climits>

#include "ini/Profile.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace rendix {

namespace {

// The file to work on, or nothing after the "File Not Found" box. Only a plain file
// counts: a folder of that name is as good as missing.
std::optional<QByteArray> existingFile(Messages& messages, const QByteArray& file) {
    if (std::optional<platform::FoundFile> found = platform::lookupFile(file)) {
        return std::move(found->path);
    }
    showOk(messages, platform::shownName(file) + QStringLiteral(" not found."),
           QStringLiteral("File Not Found"), MessageIcon::Critical);
    return std::nullopt;
}

void showSectionNotFound(Messages& messages, const QByteArray& section, const char* routine) {
    showOk(messages,
           QStringLiteral("Section, ") + QString::fromLocal8Bit(section) +
               QStringLiteral(", Not Found. ~(") + QLatin1String(routine) +
               QStringLiteral(")\r\nVerify spelling and capitilization is correct.  "
                              "Case-sensative."),
           QStringLiteral("Section Not Found."), MessageIcon::Information);
}

// The content of a file for the text scans: nothing after the "File Not Found" box, and
// nothing, without a box, when the file exists but cannot be read after all (it vanished,
// or the system refused it), which the routines treat as their neutral result.
std::optional<QByteArray> scannedContent(Messages& messages, const QByteArray& file) {
    const std::optional<QByteArray> path = existingFile(messages, file);
    return path ? platform::readFile(*path) : std::nullopt;
}

int clampedCount(qsizetype count) {
    return static_cast<int>(std::min<qsizetype>(count, INT_MAX));
}

// Whether a line of the content is exactly "[" + section + "]" (SectionExists), found by a
// search for that text rather than by splitting every line.
bool holdsHeaderLine(QByteArrayView content, QByteArrayView section) {
    QByteArray header;
    header.reserve(section.size() + 2);
    header.append('[').append(section).append(']');
    const qsizetype begin = ini::contentBegin(content);
    for (qsizetype at = content.indexOf(header, begin); at >= 0;
         at = content.indexOf(header, at + 1)) {
        const qsizetype end = at + header.size();
        if ((at == begin || platform::isBreak(content[at - 1])) &&
            (end == content.size() || platform::isBreak(content[end]))) {
            return true;
        }
    }
    return false;
}

}  // namespace

QByteArray ReadKeyValue(Messages& messages, const QByteArray& file, const QByteArray& section,
                        const QByteArray& key) {
    const std::optional<QByteArray> path = existingFile(messages, file);
    if (!path) {
        return {};
    }
    const std::optional<QByteArray> bytes = platform::readFile(*path);
    if (!bytes) {
        return {};
    }
    return ini::profileValue(QByteArrayView(*bytes), section, key).value_or(QByteArray());
}

Result WriteKeyValue(const QByteArray& file, const QByteArray& section, const QByteArray& key,
                     const std::optional<QByteArray>& value) {
    return ini::writeProfileStrings(file, {ini::ProfileWrite{section, key, value}});
}

Result DeleteSection(Messages& messages, const QByteArray& file, const QByteArray& section) {
    const std::optional<QByteArray> path = existingFile(messages, file);
    if (!path) {
        return Result::success();
    }
    const std::optional<QByteArray> content = platform::readFile(*path);
    if (!content) {
        return Result::failure(QStringLiteral("%1 cannot be read; nothing was removed.")
                                   .arg(platform::shownName(file)));
    }
    if (!holdsHeaderLine(*content, section)) {
        showSectionNotFound(messages, section, "DeleteSection");
        return Result::success();
    }
    return ini::writeProfileStrings(*path,
                                    {ini::ProfileWrite{section, std::nullopt, std::nullopt}});
}

Result ReplaceSection(Messages& messages, const QByteArray& file, const QByteArray& section,
                      const QByteArray& keyPrefix, const std::vector<QByteArray>& values) {
    const std::optional<QByteArray> existing = existingFile(messages, file);
    // The writes go where WriteKeyValue would put them.
    return ini::editProfileFile(existing.value_or(file), [&](QByteArray& content) {
        if (existing) {
            if (!holdsHeaderLine(content, section)) {
                showSectionNotFound(messages, section, "DeleteSection");
            } else if (Result removed = ini::applyProfileWrites(
                           content, {ini::ProfileWrite{section, std::nullopt, std::nullopt}});
                       !removed) {
                return removed;
            }
        }
        return ini::applyIndexedWrites(content, section, keyPrefix, values);
    });
}

int NumSections(Messages& messages, const QByteArray& file) {
    const std::optional<QByteArray> content = scannedContent(messages, file);
    return content ? IniText(*content).numSections() : 0;
}

int NumKeys(Messages& messages, const QByteArray& file, const QByteArray& section) {
    // One read serves both the existence test of the section and the count.
    const std::optional<QByteArray> content = scannedContent(messages, file);
    if (!content) {
        return 0;
    }
    const std::optional<int> count = IniText(*content).numKeys(section);
    if (!count) {
        showSectionNotFound(messages, section, "NumKeys");
    }
    return count.value_or(0);
}

bool SectionExists(Messages& messages, const QByteArray& file, const QByteArray& section) {
    const std::optional<QByteArray> content = scannedContent(messages, file);
    return content && holdsHeaderLine(*content, section);
}

IniText::IniText(QByteArrayView content) {
    for (ini::LineScan scan(content); scan.next();) {
        const QByteArrayView line = scan.text();
        if (IsSectionLine(line)) {
            m_headers.push_back({line, 0});
        } else if (!m_headers.empty() && IsKeyLine(line)) {
            ++m_headers.back().keys;
        }
    }
}

int IniText::numSections() const {
    return clampedCount(static_cast<qsizetype>(m_headers.size()));
}

bool IniText::sectionExists(QByteArrayView section) const {
    return header(section) != nullptr;
}

std::optional<int> IniText::numKeys(QByteArrayView section) const {
    const Header* found = header(section);
    if (!found) {
        return std::nullopt;
    }
    return clampedCount(found->keys);
}

const IniText::Header* IniText::header(QByteArrayView section) const {
    for (const Header& candidate : m_headers) {
        if (candidate.line.size() == section.size() + 2 &&
            candidate.line.sliced(1, section.size()) == section) {
            return &candidate;
        }
    }
    return nullptr;
}

bool IsSectionLine(QByteArrayView line) {
    return !line.isEmpty() && line.front() == '[' && line.back() == ']';
}

bool IsKeyLine(QByteArrayView line) {
    return line.contains('=');
}

}  // namespace rendix
