#include "maintenance/ConfigChange.h"

#include "app/Failures.h"
#include "platform/Processes.h"

namespace rendix {

std::vector<QByteArray> runningGames(const Install& install) {
    return platform::runningProgramsIn(install.programFolders());
}

bool mayChangeWhileGameRuns(const Install& install, Messages& messages) {
    const std::vector<QByteArray> running = runningGames(install);
    return running.empty() || messages.show(gameRunningMessage(
                                  running.front(), install.configFile())) == MessageAnswer::Yes;
}

std::optional<platform::FileLock> beginChange(const Install& install, Messages& messages,
                                              const ChangeOptions& options, ChangeTarget target,
                                              const QString& holds) {
    if (!install.hasConfigFile()) {
        return platform::FileLock();
    }
    // Asked before the lock is taken: a question left open would keep every other Rendix
    // waiting.
    if (target == ChangeTarget::ConfigFile && !mayChangeWhileGameRuns(install, messages)) {
        return std::nullopt;
    }
    platform::FileLock lock;
    if (const Result locked = lock.acquire(install.configFile(), options.lockTimeoutMs); !locked) {
        messages.show(writeFailedMessage(install.configFile(), locked, holds));
        return std::nullopt;
    }
    return lock;
}

}  // namespace rendix
