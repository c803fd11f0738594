#include "ini/IniHandler.h"

#include <QFile>

#include <algorithm>
#include <climits>

#include "ini/Profile.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace rendix {

namespace {

// The file to work on, or nothing after the "File Not Found" box. Only a plain file
// counts: a folder of that name is as good as missing.
std::optional<QByteArray> existingFile(Messages& messages, const QByteArray& file) {
    if (std::optional<platform::FoundFile> found = platform::lookupFile(file)) {
        return std::move(found->path);
    }
    showOk(messages, QFile::decodeName(file) + QStringLiteral(" not found."),
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

// The lines of a file that exists; nothing when it cannot be read after all (it vanished,
// or the system refused it), which the routines treat as their neutral result.
std::optional<platform::TextFile> fileLines(const QByteArray& path) {
    std::optional<QByteArray> bytes = platform::readFile(path);
    if (!bytes) {
        return std::nullopt;
    }
    return platform::splitLines(*bytes);
}

// The lines of a file for the text scans: nothing after the "File Not Found" box, and
// nothing, without a box, when the file exists but cannot be read.
std::optional<platform::TextFile> scannedLines(Messages& messages, const QByteArray& file) {
    const std::optional<QByteArray> path = existingFile(messages, file);
    return path ? fileLines(*path) : std::nullopt;
}

QByteArray headerOf(const QByteArray& section) {
    QByteArray header;
    header.reserve(section.size() + 2);
    header.append('[').append(section).append(']');
    return header;
}

// The index of the first line exactly equal to "[" + section + "]", or -1.
qsizetype headerIndex(const platform::TextFile& lines, const QByteArray& section) {
    const QByteArray header = headerOf(section);
    const auto found =
        std::find_if(lines.lines.begin(), lines.lines.end(),
                     [&](const platform::Line& line) { return line.text == header; });
    return found == lines.lines.end() ? -1 : found - lines.lines.begin();
}

int clampedCount(qsizetype count) {
    return static_cast<int>(std::min<qsizetype>(count, INT_MAX));
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
    const std::optional<platform::TextFile> lines = fileLines(*path);
    if (!lines) {
        return Result::failure(
            QStringLiteral("%1 cannot be read; nothing was removed.").arg(QFile::decodeName(file)));
    }
    if (headerIndex(*lines, section) < 0) {
        showSectionNotFound(messages, section, "DeleteSection");
        return Result::success();
    }
    return ini::writeProfileStrings(*path,
                                    {ini::ProfileWrite{section, std::nullopt, std::nullopt}});
}

int NumSections(Messages& messages, const QByteArray& file) {
    const std::optional<platform::TextFile> lines = scannedLines(messages, file);
    if (!lines) {
        return 0;
    }
    return clampedCount(
        std::count_if(lines->lines.begin(), lines->lines.end(),
                      [](const platform::Line& line) { return IsSectionLine(line.text); }));
}

int NumKeys(Messages& messages, const QByteArray& file, const QByteArray& section) {
    // One read serves both the existence test of the section and the count.
    const std::optional<platform::TextFile> lines = scannedLines(messages, file);
    if (!lines) {
        return 0;
    }
    const qsizetype header = headerIndex(*lines, section);
    if (header < 0) {
        showSectionNotFound(messages, section, "NumKeys");
        return 0;
    }
    qsizetype count = 0;
    for (auto line = lines->lines.begin() + header + 1; line != lines->lines.end(); ++line) {
        if (IsSectionLine(line->text)) {
            break;
        }
        if (IsKeyLine(line->text)) {
            ++count;
        }
    }
    return clampedCount(count);
}

bool SectionExists(Messages& messages, const QByteArray& file, const QByteArray& section) {
    const std::optional<platform::TextFile> lines = scannedLines(messages, file);
    return lines && headerIndex(*lines, section) >= 0;
}

bool IsSectionLine(QByteArrayView line) {
    return !line.isEmpty() && line.front() == '[' && line.back() == ']';
}

bool IsKeyLine(QByteArrayView line) {
    return line.contains('=');
}

}  // namespace rendix
