#include "maintenance/ConfigCheck.h"

#include <QLocale>

#include <algorithm>
#include <tuple>
#include <utility>

#include "app/Failures.h"
#include "maintenance/Backups.h"
#include "maintenance/ConfigChange.h"
#include "maintenance/ConfigCheckParts.h"
#include "maintenance/Restore.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace rendix {

namespace configcheck {

Finding& FindingList::add(const FindingKind& kind, std::optional<qsizetype> line, QString text,
                          const QByteArray& file) {
    findings.push_back({&kind, file.isEmpty() ? m_config : file, line, std::move(text)});
    return findings.back();
}

void FindingList::setFix(Finding& finding, bool fixes, const QString& how) {
    if (fixes) {
        finding.fix = finding.kind->fix;
        finding.text += how;
    }
}

}  // namespace configcheck

using namespace configcheck;

namespace {

// More backups than this, and the admin hears of them.
constexpr qsizetype kManyBackups = 20;

void running(const Install& install, FindingList& list) {
    const std::vector<QByteArray> programs = runningGames(install);
    if (!programs.empty()) {
        list.add(finding::kGameRunning, std::nullopt,
                 QStringLiteral("Unreal Tournament is running (") + shown(programs.front()) +
                     QStringLiteral("): it writes its settings back to this file when it "
                                    "exits, so changes made meanwhile are lost. Stop it before "
                                    "you change the file."));
    }
}

void backups(const Install& install, const Folders& folders, FindingList& list) {
    const std::vector<QByteArray>& names = folders.names(install.configFolder());
    if (std::count_if(names.begin(), names.end(), [](const QByteArray& name) {
            return platform::wildcardMatch(kBackupPattern, name);
        }) <= kManyBackups) {
        return;
    }
    // Counted as Delete Backup Files counts them, with their sizes: only now, since few
    // installs have that many.
    const std::vector<BackupInfo> backups = listBackups(install);
    if (static_cast<qsizetype>(backups.size()) <= kManyBackups) {
        return;
    }
    qint64 size = 0;
    for (const BackupInfo& backup : backups) {
        size += backup.size;
    }
    Finding& many = list.add(finding::kManyBackups, std::nullopt,
                             QString::number(backups.size()) +
                                 QStringLiteral(" backups of this file lie beside it, ") +
                                 QLocale::c().formattedDataSize(size) + QStringLiteral(" in all."));
    FindingList::setFix(many, true, QStringLiteral(" Delete Backup Files removes them."));
}

}  // namespace

const char* severityName(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        case Severity::Note:
            break;
    }
    return "note";
}

ConfigCheck CheckConfiguration(const Install& install) {
    ConfigCheck check;
    const QString nothing = nothingCheckedText();
    if (!install.hasConfigFile()) {
        check.failure = noConfigFileMessage(install.gameDir());
        check.failure->text.replace(QStringLiteral("Nothing was changed."), nothing);
        return check;
    }
    const QByteArray& config = install.configFile();
    if (const Result& read = install.configRead(); !read) {
        check.failure = readFailedMessage(config, read, nothing);
        return check;
    }
    const QByteArray& content = install.configContent();
    if (platform::isUtf16Text(content)) {
        check.failure =
            failureMessage(QStringLiteral("Rendix cannot check ") + platform::shownName(config) +
                               QStringLiteral(" because it is stored as UTF-16."),
                           "Unsupported file");
        return check;
    }
    Folders folders;
    if (const std::optional<QByteArray> unlisted = listFolders(install, folders)) {
        check.failure = listFailedMessage(*unlisted, nothing);
        return check;
    }
    FindingList list(config);
    const ConfigKeys keys = readKeys(content);
    checkServerPackages(keys, content, folders, list);
    checkServerActors(keys, folders, list);
    checkMapLists(keys, folders, list);
    checkStartGameMap(keys, folders, list);
    checkCaseTwins(install, folders, list);
    check.failure = checkVoteMods(install, folders, list);
    if (check.failure) {
        return check;
    }
    running(install, list);
    backups(install, folders, list);

    // Files in the order of their names, part by part, so that the order is the same whatever
    // separator the system writes between them.
    using Rank = std::tuple<bool, std::vector<QByteArray>, bool, int, std::size_t>;
    std::vector<Rank> ranks;
    ranks.reserve(list.findings.size());
    for (std::size_t i = 0; i < list.findings.size(); ++i) {
        const Finding& f = list.findings[i];
        ranks.emplace_back(f.file != config, platform::splitPath(f.file).names, !f.line,
                           f.line.value_or(0), i);
    }
    std::sort(ranks.begin(), ranks.end());
    for (const Rank& rank : ranks) {
        check.findings.push_back(std::move(list.findings[std::get<4>(rank)]));
    }
    return check;
}

QByteArray findingLine(const Finding& finding) {
    QByteArray line = finding.file;
    if (finding.line) {
        line += ':' + QByteArray::number(*finding.line);
    }
    return line + ": " + severityName(finding.severity()) + ": " + finding.text.toLocal8Bit() +
           " [" + finding.code() + ']';
}

QByteArray findingCounts(const std::vector<Finding>& findings) {
    std::array<qsizetype, 3> counts{};
    for (const Finding& finding : findings) {
        ++counts[static_cast<std::size_t>(finding.severity())];
    }
    return QByteArray::number(counts[0]) + " errors, " + QByteArray::number(counts[1]) +
           " warnings, " + QByteArray::number(counts[2]) + " notes";
}

bool hasErrors(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& f) { return f.severity() == Severity::Error; });
}

}  // namespace rendix
