#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "platform/Messages.h"

// Boxes for the failures of the maintenance commands that have no message of their own
// elsewhere: a folder that cannot be listed, backups that cannot all be deleted.
namespace rendix {

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
