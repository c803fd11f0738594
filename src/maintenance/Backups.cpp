#include "maintenance/Backups.h"

namespace rendix {

Result BackupGameConfig(ModMain&) {
    return Result::failure(QStringLiteral("not built yet"));
}

void DeleteBackups(ModMain&, Messages&) {}

}  // namespace rendix
