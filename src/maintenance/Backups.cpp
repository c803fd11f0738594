#include "maintenance/Backups.h"

#include "app/Failures.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace rendix {

namespace {

constexpr QByteArrayView kBackupPattern("rendix_unrealtournament*.ini");

QByteArray backupBaseName(const platform::LocalDateTime& now) {
    QByteArray name("Rendix_UnrealTournament");
    for (const int piece : {now.month, now.day, now.hour, now.minute, now.second}) {
        name += QByteArray::number(piece);
    }
    return name;
}

}  // namespace

QByteArray systemFolderPath(const ModMain& state) {
    return platform::joinPath(state.UTDir, {"system"});
}

QByteArray gameConfigPath(const ModMain& state) {
    return platform::joinPath(state.UTDir, {"system", "UnrealTournament.ini"});
}

Result BackupGameConfig(ModMain& state) {
    const platform::LocalDateTime now = platform::localNow();
    const std::optional<QByteArray> folder = platform::resolvePath(systemFolderPath(state));
    if (!folder) {
        return Result::failure(QStringLiteral("the system folder does not exist"));
    }
    const std::optional<platform::FoundFile> source = platform::lookupFile(gameConfigPath(state));
    if (!source) {
        return Result::failure(QStringLiteral("UnrealTournament.ini does not exist"));
    }
    // Names repeat within a second and from year to year; an earlier backup is never
    // replaced, the new one takes the first free "_n" instead.
    const QByteArray base = backupBaseName(now);
    QByteArray target;
    for (int n = 1;; ++n) {
        const QByteArray name =
            n == 1 ? base + ".ini" : base + '_' + QByteArray::number(n) + ".ini";
        target = platform::joinPath(*folder, {name});
        if (!platform::resolvePath(target)) {
            break;
        }
    }
    Result copied = platform::copyFileNew(source->path, target);
    if (copied) {
        state.LastBackup = target;
    }
    return copied;
}

void DeleteBackups(ModMain& state, Messages& messages) {
    BusyPointer busy(messages);
    const QByteArray folder = systemFolderPath(state);
    const platform::Listing backups = platform::listFiles(folder, kBackupPattern);
    if (!backups.ok) {
        messages.show(listFailedMessage(folder));
        return;
    }
    if (backups.names.empty()) {
        showOk(messages, QStringLiteral("No backups to delete."), QStringLiteral("Nothing to do"));
        return;
    }
    const MessageAnswer answer =
        messages.show({QStringLiteral("Are you sure you want to delete the backups of your "
                                      "UnrealTournament.ini file?"),
                       QStringLiteral("Continue?"), MessageButtons::YesNo, MessageAnswer::Yes,
                       MessageIcon::None});
    if (answer != MessageAnswer::Yes) {
        return;
    }
    if (!platform::removeMatching(folder, kBackupPattern)) {
        messages.show(deleteFailedMessage(folder));
    }
}

}  // namespace rendix
