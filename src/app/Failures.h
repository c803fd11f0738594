#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/Messages.h"
#include "platform/Paths.h"
#include "platform/Result.h"

// The messages of failures that no routine reports by itself. Each names the full path, as
// platform::shownName shows it.
namespace rendix {

// A failure box: OK only, critical icon.
inline Message failureMessage(QString text, const char* title) {
    return {std::move(text), QLatin1String(title), MessageButtons::Ok, MessageAnswer::Ok,
            MessageIcon::Critical};
}

// `text`, then ": " and `why` (a failure's error, which names the file concerned and the
// system's reason) where there is one, and the end of the sentence.
inline QString withReason(QString text, const QString& why) {
    if (!why.isEmpty()) {
        text += QStringLiteral(": ") + why;
        if (text.endsWith(QLatin1Char('.'))) {
            text.chop(1);
        }
    }
    return text + QStringLiteral(". ");
}

// What a file holds after a change that failed before it was replaced.
inline QString unchangedText() {
    return QStringLiteral("It still holds what it held before.");
}

// What the configuration file holds after a randomize run failed on a later game type:
// the changes of the game types (codes, "DM") randomized before it stay.
inline QString keptRandomizedText(const QStringList& types) {
    const QString named = types.size() == 1
                              ? types.front()
                              : types.mid(0, types.size() - 1).join(QStringLiteral(", ")) +
                                    QStringLiteral(" and ") + types.back();
    return QStringLiteral("It keeps what randomizing ") + named +
           QStringLiteral(" changed; everything else is as it was before.");
}

// What the configuration file holds when the ServerPackages add step failed: what the
// remove step did (`removed` entries) stays.
inline QString keptRemovalText(qsizetype removed) {
    if (removed == 0) {
        return QStringLiteral("No serverpackages entry was removed or added.");
    }
    return QStringLiteral("It keeps the removal of ") + QString::number(removed) +
           QStringLiteral(" serverpackages entries; none was added.");
}

// A change of `path` that failed as `why` says; `holds` tells what the file holds now.
// Another writer's lock gives "Busy", a file that cannot be read "Read failed", a link that
// leads to no .ini file "Write refused" naming both paths, a read-only file "Write failed"
// saying so.
inline Message writeFailedMessage(const QByteArray& path, const Result& why = {},
                                  const QString& holds = unchangedText()) {
    const QString file = platform::shownName(path);
    switch (why.problem) {
        case Problem::Busy:
            return failureMessage(QStringLiteral("Another Rendix is changing ") + file +
                                      QStringLiteral(" right now. ") + holds,
                                  "Busy");
        case Problem::Unreadable:
            return failureMessage(QStringLiteral("Rendix could not read ") +
                                      platform::shownName(why.path.isEmpty() ? path : why.path) +
                                      QStringLiteral(": ") + why.error + QStringLiteral(". ") +
                                      holds,
                                  "Read failed");
        case Problem::LinkRefused:
            return failureMessage(
                QStringLiteral("Rendix does not write through ") + platform::shownName(why.path) +
                    QStringLiteral(": the link leads to ") + platform::shownName(why.target) +
                    QStringLiteral(", which is not an .ini file. ") + holds,
                "Write refused");
        case Problem::ReadOnly:
            return failureMessage(QStringLiteral("Rendix could not write ") + file +
                                      QStringLiteral(" because the file is read-only. ") + holds,
                                  "Write failed");
        default:
            break;
    }
    return failureMessage(
        withReason(QStringLiteral("Rendix could not write ") + file, why.error) + holds,
        "Write failed");
}

// A backup that failed as `why` says; `holds` tells what the file holds (other than the
// default where the command had changed it before). A backup refused because the file may
// not be written (a read-only file, a link that leads to no .ini file) gives that box.
inline Message backupFailedMessage(
    const QByteArray& path, const Result& why,
    const QString& holds = QStringLiteral("The file was not changed.")) {
    if (why.problem == Problem::ReadOnly || why.problem == Problem::LinkRefused) {
        return writeFailedMessage(path, why, holds);
    }
    return failureMessage(
        withReason(QStringLiteral("Rendix could not back up ") + platform::shownName(path),
                   why.error) +
            holds,
        "Backup failed");
}

// A file that exists but cannot be read: nothing was changed, unless `holds` says what the
// command had changed before.
inline Message readFailedMessage(const QByteArray& path, const QString& reason,
                                 const QString& holds = QStringLiteral("Nothing was changed.")) {
    return failureMessage(QStringLiteral("Rendix could not read ") + platform::shownName(path) +
                              QStringLiteral(": ") + reason + QStringLiteral(". ") + holds,
                          "Read failed");
}

// The same for a read that failed as platform::readFileChecked says `why`: missing, or
// unreadable for the system's reason.
inline Message readFailedMessage(const QByteArray& path, const Result& why,
                                 const QString& holds = QStringLiteral("Nothing was changed.")) {
    return readFailedMessage(
        path,
        why.problem == Problem::Missing ? QStringLiteral("the file does not exist") : why.error,
        holds);
}

// The question before a change while a game or server of the install runs (`program`, its
// executable). No, the default, leaves everything as it was.
inline Message gameRunningMessage(const QByteArray& program, const QByteArray& configFile) {
    return {QStringLiteral("Unreal Tournament is running (") + platform::shownName(program) +
                QStringLiteral("). The game writes its settings back to ") +
                platform::shownName(configFile) +
                QStringLiteral(" while it runs and when it exits, so this change would be "
                               "lost.\n\nChange the file anyway?"),
            QStringLiteral("Game running"), MessageButtons::YesNo, MessageAnswer::No,
            MessageIcon::None};
}

// No configuration file: none of the candidates exists, or several do and none is chosen.
inline Message noConfigFileMessage(const QByteArray& utDir) {
    return failureMessage(QStringLiteral("Rendix found no UnrealTournament.ini to change for ") +
                              platform::shownName(utDir) + QStringLiteral(". Nothing was changed."),
                          "File Not Found");
}

// A configuration file chosen by its path that is no plain file: like a game directory that
// fails its test, it is not taken.
inline Message configFileMissingMessage(const QByteArray& path) {
    return {QStringLiteral("There is no configuration file at ") + platform::shownName(path) +
                QLatin1Char('.'),
            QStringLiteral("Invalid path")};
}

// An UnrealTournament.ini stored as UTF-16 is never modified.
inline Message utf16RefusedMessage(const QByteArray& path) {
    return failureMessage(
        QStringLiteral("Rendix cannot change ") + platform::shownName(path) +
            QStringLiteral(" because it is stored as UTF-16. The file was not changed."),
        "Unsupported file");
}

// A folder that cannot be listed, backups that cannot all be deleted.
inline Message listFailedMessage(const QByteArray& folder,
                                 const QString& holds = QStringLiteral("Nothing was changed.")) {
    return failureMessage(QStringLiteral("Rendix could not list the folder ") +
                              platform::shownName(folder) + QStringLiteral(". ") + holds,
                          "List failed");
}

// What another Rendix's lock leaves of a deletion of backups.
inline QString noBackupDeletedText() {
    return QStringLiteral("No backup was deleted.");
}

inline Message deleteFailedMessage(const QByteArray& folder) {
    return failureMessage(QStringLiteral("Rendix could not delete every backup in ") +
                              platform::shownName(folder) + QStringLiteral("."),
                          "Delete failed");
}

// What a file that did not exist holds after a change that failed: it is still missing.
inline QString notCreatedText() {
    return QStringLiteral("The file was not created.");
}

// A settings file of the wrong shape whose bytes could not be kept beside it as `copy`
// (`why` says what failed): it was not replaced, and the program ends.
inline Message corruptCopyFailedMessage(const QByteArray& path, const QByteArray& copy,
                                        const Result& why) {
    return failureMessage(
        platform::shownName(path) +
            QStringLiteral(" is corrupt, and Rendix could not keep a copy of "
                           "it as ") +
            platform::shownName(copy) + QStringLiteral(": ") + why.error +
            (why.error.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")) +
            QStringLiteral(" The file was not changed. Rendix ends now."),
        "Backup failed");
}

}  // namespace rendix
