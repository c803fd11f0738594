#include "app/Settings.h"

#include <QDir>
#include <QFile>

#include <algorithm>

#include "app/GameTypes.h"
#include "ini/IniHandler.h"
#include "ini/Profile.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace rendix {

QByteArray defaultSettingsContent() {
    const QByteArray crlf = QByteArrayLiteral("\r\n");
    QByteArray content =
        QByteArrayLiteral("[Main]") + crlf + QByteArrayLiteral("UTDir=") + crlf + crlf;
    for (const GameType& type : kGameTypes) {
        content += '[' + QByteArray(type.exclusionSection) + ']' + crlf;
        content += exclusionKey(type, 0) + '=' + QByteArray(type.tutorialMap) + crlf + crlf;
    }
    return content;
}

Result WriteDefaultSettings(const QByteArray& path) {
    return platform::replaceFile(path, defaultSettingsContent());
}

QByteArray chooseSettingsFolder() {
    const QByteArray programDir = platform::programDirectory();
    return settingsFolderFor(programDir, platform::canCreateFileIn(programDir),
                             platform::userConfigFolder());
}

QByteArray settingsFolderFor(const QByteArray& programDir, bool programDirWritable,
                             const QByteArray& userFolder) {
    if (programDirWritable) {
        return programDir;
    }
    QDir().mkpath(QFile::decodeName(userFolder));
    const QByteArray userFile = platform::joinPath(userFolder, {kSettingsFileName});
    if (!platform::lookupFile(userFile)) {
        if (const auto programFile =
                platform::lookupFile(platform::joinPath(programDir, {kSettingsFileName}))) {
            platform::copyFileNew(programFile->path, userFile);
        }
    }
    return userFolder;
}

bool settingsFileSound(Messages& messages, const QByteArray& path) {
    if (NumSections(messages, path) != 1 + static_cast<int>(kGameTypes.size())) {
        return false;
    }
    if (!SectionExists(messages, path, QByteArrayLiteral("Main"))) {
        return false;
    }
    return std::all_of(kGameTypes.begin(), kGameTypes.end(), [&](const GameType& type) {
        return SectionExists(messages, path, type.exclusionSection);
    });
}

void loadExclusionLists(ModMain& state, Messages& messages, const QByteArray& path) {
    // One reading of the file serves every entry; ReadKeyValue would read it once per key.
    const QByteArray content = platform::readFile(path).value_or(QByteArray());
    for (const GameType& type : kGameTypes) {
        const int count = NumKeys(messages, path, type.exclusionSection);
        ExclusionList& list = state.*type.excludes;
        list.assign(static_cast<size_t>(std::max(count, 1)), QByteArray());
        for (int i = 0; i < count; ++i) {
            list[static_cast<size_t>(i)] =
                ini::profileValue(content, type.exclusionSection, exclusionKey(type, i))
                    .value_or(QByteArray());
        }
    }
}

Result writeMainSetting(const QByteArray& settingsPath, const QByteArray& key,
                        const QByteArray& value) {
    platform::FileLock lock;
    if (Result locked = lock.acquire(settingsPath); !locked) {
        return locked;
    }
    return WriteKeyValue(settingsPath, QByteArrayLiteral("Main"), key, value);
}

int mapsPerListSetting(const QByteArray& value) {
    bool ok = false;
    const int slots = value.trimmed().toInt(&ok);
    return ok && slots >= 1 && slots <= kMaxMapsPerList ? slots : kDefaultMapsPerList;
}

void loadDefaultExclusionLists(ModMain& state) {
    for (const GameType& type : kGameTypes) {
        state.*type.excludes = ExclusionList{QByteArray(type.tutorialMap)};
    }
}

}  // namespace rendix
