#include "maintenance/Restore.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "app/Failures.h"
#include "maintenance/Backups.h"
#include "maintenance/ConfigChange.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace rendix {

namespace {

// The backups are the files that "Delete Backup Files" deletes.
constexpr QByteArrayView kPrefix("rendix_unrealtournament");

// What a backup name tells: the digits of the time it was made and its "_n" (1 without
// one). A name that matches the backup pattern but holds no such time (someone's own file)
// tells nothing; its file time stands in.
struct BackupName {
    QByteArray digits;
    int number = 1;
};

BackupName parseName(const QByteArray& name) {
    const auto allDigits = [](QByteArrayView text) {
        return !text.isEmpty() &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const QByteArray middle = name.mid(kPrefix.size(), name.size() - kPrefix.size() - 4);
    const qsizetype underscore = middle.indexOf('_');
    const QByteArray digits = middle.left(underscore < 0 ? middle.size() : underscore);
    const QByteArray number = underscore < 0 ? QByteArray("1") : middle.mid(underscore + 1);
    if (!allDigits(digits) || !allDigits(number) || number.size() > 6) {
        return {};
    }
    return {digits, number.toInt()};
}

// Every reading of the digits as month, day, hour, minute and second, each written without
// leading zeros ("111234" is 1 November or 11 January at 2:03:04).
void readings(QByteArrayView digits, std::vector<int>& pieces,
              std::vector<std::array<int, 5>>& out) {
    static constexpr std::array<int, 5> kLow{1, 1, 0, 0, 0};
    static constexpr std::array<int, 5> kHigh{12, 31, 23, 59, 59};
    const std::size_t index = pieces.size();
    if (index == 5) {
        if (digits.isEmpty()) {
            out.push_back({pieces[0], pieces[1], pieces[2], pieces[3], pieces[4]});
        }
        return;
    }
    for (qsizetype length = 1; length <= 2 && length <= digits.size(); ++length) {
        if (length == 2 && digits[0] == '0') {
            break;
        }
        const int value = digits.first(length).toInt();
        if (value < kLow[index] || value > kHigh[index]) {
            continue;
        }
        pieces.push_back(value);
        readings(digits.sliced(length), pieces, out);
        pieces.pop_back();
    }
}

// The time the name gives that lies closest to the file's last change, in that year or the
// one before (a backup made at the turn of the year); the change time itself when none fits.
QDateTime timeMade(const QByteArray& digits, const QDateTime& modified) {
    std::vector<int> pieces;
    std::vector<std::array<int, 5>> candidates;
    readings(digits, pieces, candidates);
    QDateTime best;
    qint64 bestDistance = 0;
    for (const std::array<int, 5>& c : candidates) {
        for (const int year : {modified.date().year(), modified.date().year() - 1}) {
            const QDate date(year, c[0], c[1]);
            if (!date.isValid()) {
                continue;
            }
            const QDateTime made(date, QTime(c[2], c[3], c[4]));
            const qint64 distance = std::llabs(made.secsTo(modified));
            if (!best.isValid() || distance < bestDistance) {
                best = made;
                bestDistance = distance;
            }
        }
    }
    return best.isValid() ? best : modified;
}

bool newerFirst(const BackupInfo& a, const BackupInfo& b) {
    if (a.made != b.made) {
        return a.made > b.made;
    }
    const int na = parseName(a.name).number;
    const int nb = parseName(b.name).number;
    return na != nb ? na > nb : platform::listingLess(b.name, a.name);
}

}  // namespace

std::vector<BackupInfo> listBackups(const Install& install, bool* listed) {
    std::vector<BackupInfo> backups;
    if (listed) {
        *listed = true;
    }
    if (!install.hasConfigFile()) {
        return backups;
    }
    const QByteArray folder = install.configFolder();
    const platform::Listing listing = platform::listFiles(folder, kBackupPattern, kBackupLinks);
    if (listed) {
        *listed = listing.ok;
    }
    for (const QByteArray& name : listing.names) {
        const QByteArray path = platform::joinPath(folder, {name});
        if (const std::optional<platform::FileTimes> times = platform::fileTimes(path)) {
            backups.push_back(
                {path, name,
                 timeMade(parseName(name).digits, QDateTime::fromSecsSinceEpoch(times->modified)),
                 times->size});
        }
    }
    std::sort(backups.begin(), backups.end(), newerFirst);
    return backups;
}

std::optional<BackupInfo> latestBackup(const Install& install) {
    std::vector<BackupInfo> backups = listBackups(install);
    if (backups.empty()) {
        return std::nullopt;
    }
    return std::move(backups.front());
}

std::optional<BackupInfo> findBackup(const Install& install, const QByteArray& nameOrPath) {
    QByteArray name = nameOrPath;
    if (std::any_of(nameOrPath.begin(), nameOrPath.end(), platform::isSeparator)) {
        // A path counts only when its file lies in the configuration file's folder.
        const std::optional<platform::FoundFile> found = platform::lookupFile(nameOrPath);
        const std::optional<QByteArray> folder = platform::resolvePath(install.configFolder());
        if (!found || !folder || platform::parentPath(found->path) != *folder) {
            return std::nullopt;
        }
        name = found->storedName;
    }
    for (BackupInfo& backup : listBackups(install)) {
        if (backup.name == name || platform::equalsFolded(backup.name, name)) {
            return std::move(backup);
        }
    }
    return std::nullopt;
}

bool RestoreBackup(ModMain& state, Messages& messages, const BackupInfo& backup,
                   const ChangeOptions& options) {
    BusyPointer busy(messages);
    const Install install = Install::of(state);
    if (!install.hasConfigFile()) {
        messages.show(noConfigFileMessage(state.UTDir));
        return false;
    }
    const QByteArray& config = install.configFile();
    const std::optional<platform::FileLock> lock =
        beginChange(install, messages, options, ChangeTarget::ConfigFile, unchangedText());
    if (!lock) {
        return false;
    }
    QByteArray bytes;
    // A backup turned into a link since it was listed is not read either.
    if (const Result read = platform::readFileChecked(backup.path, bytes, kBackupLinks); !read) {
        messages.show(readFailedMessage(backup.path, read.error));
        return false;
    }
    if (const Result copied = BackupGameConfig(state, install); !copied) {
        messages.show(backupFailedMessage(config, copied));
        return false;
    }
    if (const Result written = platform::replaceFile(config, bytes); !written) {
        messages.show(writeFailedMessage(config, written));
        return false;
    }
    messages.setStatus(QStringLiteral("Restored ") + platform::shownName(backup.name) +
                       QLatin1Char('.'));
    return true;
}

}  // namespace rendix
