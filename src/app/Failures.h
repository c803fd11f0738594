#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "platform/Messages.h"

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

inline Message writeFailedMessage(const QByteArray& path) {
    return failureMessage(QStringLiteral("Rendix could not write ") + QFile::decodeName(path) +
                              QStringLiteral(". It still holds what it held before."),
                          "Write failed");
}

// No configuration file: none of the candidates exists, or several do and none is chosen.
inline Message noConfigFileMessage(const QByteArray& utDir) {
    return failureMessage(QStringLiteral("Rendix found no UnrealTournament.ini to change for ") +
                              QFile::decodeName(utDir) + QStringLiteral(". Nothing was changed."),
                          "File Not Found");
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
