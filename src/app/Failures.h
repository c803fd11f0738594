#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "platform/Messages.h"

// The messages of failures that no routine reports by itself. Each names the full path.
namespace rendix {

inline Message backupFailedMessage(const QByteArray& path) {
    return {QStringLiteral("Rendix could not back up ") + QFile::decodeName(path) +
                QStringLiteral(". The file was not changed."),
            QStringLiteral("Backup failed"), MessageButtons::Ok, MessageAnswer::Ok,
            MessageIcon::Critical};
}

inline Message writeFailedMessage(const QByteArray& path) {
    return {QStringLiteral("Rendix could not write ") + QFile::decodeName(path) +
                QStringLiteral(". It still holds what it held before."),
            QStringLiteral("Write failed"), MessageButtons::Ok, MessageAnswer::Ok,
            MessageIcon::Critical};
}

// An UnrealTournament.ini stored as UTF-16 is never modified.
inline Message utf16RefusedMessage(const QByteArray& path) {
    return {QStringLiteral("Rendix cannot change ") + QFile::decodeName(path) +
                QStringLiteral(" because it is stored as UTF-16. The file was not changed."),
            QStringLiteral("Unsupported file"), MessageButtons::Ok, MessageAnswer::Ok,
            MessageIcon::Critical};
}

// A folder that cannot be listed, backups that cannot all be deleted.
inline Message listFailedMessage(const QByteArray& folder) {
    return {QStringLiteral("Rendix could not list the folder ") + QFile::decodeName(folder) +
                QStringLiteral(". Nothing was changed."),
            QStringLiteral("List failed"), MessageButtons::Ok, MessageAnswer::Ok,
            MessageIcon::Critical};
}

inline Message deleteFailedMessage(const QByteArray& folder) {
    return {QStringLiteral("Rendix could not delete every backup in ") + QFile::decodeName(folder) +
                QStringLiteral("."),
            QStringLiteral("Delete failed"), MessageButtons::Ok, MessageAnswer::Ok,
            MessageIcon::Critical};
}

}  // namespace rendix
