#include "app/Startup.h"

#include "app/Failures.h"
#include "app/Settings.h"
#include "ini/IniHandler.h"
#include "platform/FileSystem.h"

namespace rendix {

namespace {

void writeDefaults(ModMain& state, Messages& messages) {
    state.UTDir.clear();
    loadDefaultExclusionLists(state);
    if (!WriteDefaultSettings(state.settingsPath)) {
        messages.show(writeFailedMessage(state.settingsPath));
    }
}

}  // namespace

Message invalidPathMessage() {
    return {QStringLiteral("Unreal Tournament is not in the specified location!"),
            QStringLiteral("Invalid path")};
}

Message corruptSettingsMessage() {
    return {QStringLiteral("Rendix.ini is corrupt.  All settings will be lost."),
            QStringLiteral("Creating new Rendix.ini")};
}

StartupEnding StartupSequence(ModMain& state, Messages& messages,
                              const QByteArray& settingsFolder) {
    const QByteArray defaultPath = platform::joinPath(settingsFolder, {kSettingsFileName});
    const auto found = platform::lookupFile(defaultPath);
    if (!found) {
        state.settingsPath = defaultPath;
        writeDefaults(state, messages);
        return StartupEnding::SettingsMissing;
    }
    state.settingsPath = found->path;

    if (!settingsFileSound(messages, state.settingsPath)) {
        messages.show(corruptSettingsMessage());
        writeDefaults(state, messages);
        return StartupEnding::SettingsNotSound;
    }

    state.UTDir = ReadKeyValue(messages, state.settingsPath, QByteArrayLiteral("Main"),
                               QByteArrayLiteral("UTDir"));
    state.ConfigFile = ReadKeyValue(messages, state.settingsPath, QByteArrayLiteral("Main"),
                                    QByteArrayLiteral("ConfigFile"));
    state.MapsPerList = mapsPerListSetting(ReadKeyValue(
        messages, state.settingsPath, QByteArrayLiteral("Main"), QByteArrayLiteral("MapsPerList")));
    const bool valid = isGameDirectory(state.UTDir, state.ConfigFile);
    if (!valid) {
        messages.show(invalidPathMessage());
    }
    loadExclusionLists(state, messages, state.settingsPath);
    return valid ? StartupEnding::Passed : StartupEnding::GameDirectoryInvalid;
}

QByteArray upperCaseAscii(const QByteArray& text) {
    QByteArray upper = text;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

}  // namespace rendix
