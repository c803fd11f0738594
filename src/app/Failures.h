#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "platform/Messages.h"
#include "platform/Result.h"

// The messages of failures that no routine reports by itself. Each names the full path.
namespace rendix {

// A failure box: OK only, critical icon.
inline Message failureMessage(QString text, const char* title) {
    return {std::move(text), QLatin1String(title), MessageButtons::Ok, MessageAnswer::Ok,
            MessageIcon::Critical};
}

inline Message backupFailedMessage(const QByteArray& path) {
    return failureMessage(QStringLiteral("Rendix could not back up ") + QFile::decodeName(path) +
                              QStringLiteral(". The file was not changed."),
                          "Backup failed");
}

// What a file holds after a change that failed before it was replaced.
inline QString unchangedText() {
    return QStringLiteral("It still holds what it held before.");
}

// A change of `path` that failed as `why` says; `holds` tells what the file holds now.
// Another writer's lock gives "Busy", a file that cannot be read "Read failed", a link that
// leads to no .ini file "Write refused" naming both paths, a read-only file "Write failed"
// saying so.
inline Message writeFailedMessage(const QByteArray& path, const Result& why = {},
                                  const QString& holds = unchangedText()) {
    const QString file = QFile::decodeName(path);
    switch (why.problem) {
        case Problem::Busy:
            return failureMessage(QStringLiteral("Another Rendix is changing ") + file +
                                      QStringLiteral(" right now. ") + holds,
                                  "Busy");
        case Problem::Unreadable:
            return failureMessage(QStringLiteral("Rendix could not read ") +
                                      QFile::decodeName(why.path.isEmpty() ? path : why.path) +
                                      QStringLiteral(": ") + why.error + QStringLiteral(". ") +
                                      holds,
                                  "Read failed");
        case Problem::LinkRefused:
            return failureMessage(
                QStringLiteral("Rendix does not write through ") + QFile::decodeName(why.path) +
                    QStringLiteral(": the link leads to ") + QFile::decodeName(why.target) +
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
        QStringLiteral("Rendix could not write ") + file + QStringLiteral(". ") + holds,
        "Write failed");
}

// A file that exists but cannot be read: nothing was changed.
inline Message readFailedMessage(const QByteArray& path, const QString& reason) {
    return failureMessage(QStringLiteral("Rendix could not read ") + QFile::decodeName(path) +
                              QStringLiteral(": ") + reason +
                              QStringLiteral(". Nothing was changed."),
                          "Read failed");
}

// The question before a change while a game or server of the install runs (`program`, its
// executable). No, the default, leaves everything as it was.
inline Message gameRunningMessage(const QByteArray& program, const QByteArray& configFile) {
    return {QStringLiteral("Unreal Tournament is running (") + QFile::decodeName(program) +
                QStringLiteral("). The game writes its settings back to ") +
                QFile::decodeName(configFile) +
                QStringLiteral(" while it runs and when it exits, so this change would be "
                               "lost.\n\nChange the file anyway?"),
            QStringLiteral("Game running"), MessageButtons::YesNo, MessageAnswer::No,
            MessageIcon::None};
}

// No configuration file: none of the candidates exists, or several do and none is chosen.
inline Message noConfigFileMessage(const QByteArray& utDir) {
    return failureMessage(QStringLiteral("Rendix found no UnrealTournament.ini to change for ") +
                              QFile::decodeName(utDir) + QStringLiteral(". Nothing was changed."),
                          "File Not Found");
}

// A configuration file named in the options dialog that is no plain file. Like the
// directory that fails its test, it keeps the dialog open.
inline Message configFileMissingMessage(const QByteArray& path) {
    return {QStringLiteral("There is no configuration file at ") + QFile::decodeName(path) +
                QLatin1Char('.'),
            QStringLiteral("Invalid path")};
}

// An UnrealTournament.ini stored as UTF-16 is never modified.
inline Message utf16RefusedMessage(const QByteArray& path) {
    return failureMessage(
        QStringLiteral("Rendix cannot change ") + QFile::decodeName(path) +
            QStringLiteral(" because it is stored as UTF-16. The file was not changed."),
        "Unsupported file");
}

// A folder that cannot be listed, backups that cannot all be deleted.
inline Message listFailedMessage(const QByteArray& folder) {
    return failureMessage(QStringLiteral("Rendix could not list the folder ") +
                              QFile::decodeName(folder) + QStringLiteral(". Nothing was changed."),
                          "List failed");
}

inline Message deleteFailedMessage(const QByteArray& folder) {
    return failureMessage(QStringLiteral("Rendix could not delete every backup in ") +
                              QFile::decodeName(folder) + QStringLiteral("."),
                          "Delete failed");
}

}  // namespace rendix
