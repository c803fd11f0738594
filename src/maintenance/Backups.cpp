#include "maintenance/Backups.h"

#include "app/Failures.h"
#include "maintenance/ConfigChange.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace rendix {

namespace {

QByteArray backupBaseName(const platform::LocalDateTime& now) {
    QByteArray name("Rendix_UnrealTournament");
    for (const int piece : {now.month, now.day, now.hour, now.minute, now.second}) {
        name += QByteArray::number(piece);
    }
    return name;
}

}  // namespace

Result BackupGameConfig(ModMain& state, const Install& install) {
    const platform::LocalDateTime now = platform::localNow();
    const std::optional<platform::FoundFile> source = platform::lookupFile(install.configFile());
    if (!install.hasConfigFile() || !source) {
        return Result::failure(QStringLiteral("the configuration file does not exist"),
                               Problem::Missing, install.configFile());
    }
    // A backup of a file that will not be written would only leave a copy behind, and for a
    // link to ~/.bashrc a copy of that file.
    if (Result refused = platform::checkRewrite(install.configFile()); !refused) {
        return refused;
    }
    // Names repeat within a second and from year to year; an earlier backup is never
    // replaced, the new one takes the first free "_n" instead.
    const QByteArray stem = platform::joinPath(install.configFolder(), {backupBaseName(now)});
    QByteArray target;
    const Result copied = platform::copyFileToFreeName(source->path, stem, ".ini", target);
    if (copied) {
        state.LastBackup = target;
    }
    return copied;
}

void DeleteBackups(ModMain& state, Messages& messages, const ChangeOptions& options) {
    BusyPointer busy(messages);
    const Install install = Install::of(state);
    const QByteArray folder =
        install.hasConfigFile() ? install.configFolder() : install.systemFolder();
    const platform::Listing backups = platform::listFiles(folder, kBackupPattern, kBackupLinks);
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
    // Not while another Rendix changes the file and makes backups of it.
    const std::optional<platform::FileLock> lock =
        beginChange(install, messages, options, ChangeTarget::Backups, noBackupDeletedText());
    if (!lock) {
        return;
    }
    if (!platform::removeMatching(folder, kBackupPattern, kBackupLinks)) {
        messages.show(deleteFailedMessage(folder));
    }
}

}  // namespace rendix
