#include "app/Settings.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <functional>
#include <optional>

#include "app/Failures.h"
#include "app/GameTypes.h"
#include "ini/IniHandler.h"
#include "ini/Profile.h"
#include "platform/FileLock.h"
#include "platform/Files.h"
#include "platform/KnownFolders.h"
#include "platform/Paths.h"
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

SettingsPlaces settingsPlaces() {
    QByteArray programDir = platform::programDirectory();
    const bool writable = platform::canCreateFileIn(programDir);
    return {.programDir = std::move(programDir),
            .programDirWritable = writable,
            .userFolder = platform::userConfigFolder()};
}

QByteArray chooseSettingsFolder(SettingsAccess access, const SettingsPlaces& places) {
    if (places.programDirWritable) {
        return places.programDir;
    }
    const QByteArray userFile = platform::joinPath(places.userFolder, {kSettingsFileName});
    if (access == SettingsAccess::ReadWrite) {
        QDir().mkpath(QFile::decodeName(places.userFolder));
    }
    if (!platform::lookupFile(userFile)) {
        if (const auto programFile =
                platform::lookupFile(platform::joinPath(places.programDir, {kSettingsFileName}))) {
            if (access == SettingsAccess::ReadOnly) {
                return places.programDir;
            }
            platform::copyFileNew(programFile->path, userFile);
        }
    }
    return places.userFolder;
}

bool settingsFileSound(const IniText& text) {
    if (text.numSections() != 1 + static_cast<int>(kGameTypes.size())) {
        return false;
    }
    if (!text.sectionExists("Main")) {
        return false;
    }
    return std::all_of(kGameTypes.begin(), kGameTypes.end(), [&](const GameType& type) {
        return text.sectionExists(type.exclusionSection);
    });
}

void loadSettings(ModMain& state, QByteArrayView content, const IniText& text) {
    const auto mainValue = [&](const char* key) {
        return ini::profileValue(content, "Main", key).value_or(QByteArray());
    };
    state.UTDir = mainValue("UTDir");
    state.ConfigFile = mainValue("ConfigFile");
    state.MapsPerList = mapsPerListSetting(mainValue("MapsPerList"));
    loadExclusionLists(state, content, text);
}

void loadExclusionLists(ModMain& state, QByteArrayView content, const IniText& text) {
    std::vector<ini::IndexedList> lists;
    for (const GameType& type : kGameTypes) {
        lists.push_back({type.exclusionSection, type.exclusionKeyPrefix,
                         text.numKeys(type.exclusionSection).value_or(0)});
    }
    std::vector<std::vector<QByteArray>> values = ini::profileIndexedValues(content, lists);
    for (std::size_t i = 0; i < kGameTypes.size(); ++i) {
        ExclusionList& list = state.*kGameTypes[i].excludes;
        list = std::move(values[i]);
        if (list.empty()) {
            list.emplace_back();
        }
    }
}

namespace {

// Why a value of [Main] would read back as something else, or nothing.
std::optional<QString> unreadableAsWritten(const QByteArray& value) {
    if (platform::holdsLineBreak(value)) {
        return QStringLiteral("The value holds a line break.");
    }
    if (value.size() > ini::kMaxValueLength) {
        return QStringLiteral("The value is longer than %1 characters.").arg(ini::kMaxValueLength);
    }
    if (platform::trimBlanks(value).size() != value.size()) {
        return QStringLiteral("The value begins or ends with a blank.");
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return QStringLiteral("The value is enclosed in quotes.");
    }
    return std::nullopt;
}

}  // namespace

Result writeMainSettings(const QByteArray& settingsPath,
                         const std::vector<std::pair<QByteArray, QByteArray>>& settings,
                         int lockTimeoutMs) {
    std::vector<ini::ProfileWrite> writes;
    for (const auto& [key, value] : settings) {
        if (const std::optional<QString> why = unreadableAsWritten(value)) {
            return Result::failure(QString::fromLatin1(key) + QStringLiteral(": ") + *why,
                                   Problem::Other, settingsPath);
        }
        writes.push_back({QByteArrayLiteral("Main"), key, value});
    }
    platform::FileLock lock;
    if (Result locked = lock.acquire(settingsPath, lockTimeoutMs); !locked) {
        return locked;
    }
    return ini::writeProfileStrings(settingsPath, writes);
}

Result writeMainSetting(const QByteArray& settingsPath, const QByteArray& key,
                        const QByteArray& value) {
    return writeMainSettings(settingsPath, {{key, value}});
}

namespace {

// Reads the settings file at `path` holding its lock, taken into `lock` and left held, and
// hands the content to `take` where the file is sound; a missing file is read as nothing
// newer. False after a box that says why.
bool readSettingsLocked(const QByteArray& path, Messages& messages, platform::FileLock& lock,
                        int lockTimeoutMs,
                        const std::function<void(QByteArrayView, const IniText&)>& take) {
    // The lock makes the read wait for a change in progress. Where no lock file can be made,
    // no other Rendix can take the lock to write the file either, so it is read as it is.
    if (Result locked = lock.acquire(path, lockTimeoutMs);
        !locked && locked.problem == Problem::Busy) {
        messages.show(writeFailedMessage(path, locked, QStringLiteral("Nothing was changed.")));
        return false;
    }
    QByteArray content;
    if (const Result read = platform::readFileChecked(path, content); !read) {
        if (read.problem == Problem::Missing) {
            return true;
        }
        messages.show(readFailedMessage(path, read));
        return false;
    }
    const IniText text(content);
    if (!settingsFileSound(text)) {
        messages.show(readFailedMessage(path, QStringLiteral("it is not a sound Rendix.ini")));
        return false;
    }
    take(content, text);
    return true;
}

}  // namespace

bool refreshSettings(ModMain& state, Messages& messages, int lockTimeoutMs) {
    if (!platform::lookupFile(state.settingsPath)) {
        return true;
    }
    platform::FileLock lock;
    return readSettingsLocked(
        state.settingsPath, messages, lock, lockTimeoutMs,
        [&](QByteArrayView content, const IniText& text) { loadSettings(state, content, text); });
}

bool refreshExclusionList(ModMain& state, const GameType& type, Messages& messages,
                          platform::FileLock& lock, int lockTimeoutMs) {
    return readSettingsLocked(state.settingsPath, messages, lock, lockTimeoutMs,
                              [&](QByteArrayView content, const IniText& text) {
                                  ModMain stored;
                                  loadExclusionLists(stored, content, text);
                                  state.*type.excludes = std::move(stored.*type.excludes);
                              });
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
