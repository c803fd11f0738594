#include "app/Startup.h"

#include "app/Failures.h"
#include "app/Settings.h"
#include "ini/IniHandler.h"
#include "ini/Profile.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace rendix {

namespace {

// Writes the default file over the settings file and takes the defaults into memory; where
// the file cannot be written the run goes on with them, and the box ends in `holds`.
void writeDefaults(ModMain& state, Messages& messages, const QString& holds) {
    state.UTDir.clear();
    state.ConfigFile.clear();
    state.MapsPerList = kDefaultMapsPerList;
    loadDefaultExclusionLists(state);
    if (Result written = WriteDefaultSettings(state.settingsPath); !written) {
        messages.show(writeFailedMessage(state.settingsPath, written, holds));
    }
}

}  // namespace

Message invalidPathMessage() {
    return {QStringLiteral("Unreal Tournament is not in the specified location!"),
            QStringLiteral("Invalid path")};
}

Message invalidPathMessage(const QByteArray& dir) {
    QString why;
    if (const std::optional<QByteArray> folder = unreadableGameFolder(dir, why)) {
        return {QStringLiteral("Rendix cannot read the folder ") + platform::shownName(*folder) +
                    QStringLiteral(": ") + why +
                    QStringLiteral(". It cannot tell whether Unreal Tournament is in the "
                                   "specified location."),
                QStringLiteral("Invalid path")};
    }
    return invalidPathMessage();
}

Message corruptSettingsMessage() {
    return {QStringLiteral("Rendix.ini is corrupt.  All settings will be lost."),
            QStringLiteral("Creating new Rendix.ini")};
}

StartupEnding StartupSequence(ModMain& state, Messages& messages,
                              const QByteArray& settingsFolder) {
    const QByteArray defaultPath = platform::joinPath(settingsFolder, {kSettingsFileName});
    const auto found = platform::lookupFile(defaultPath);
    // The file is read once; every check and value below comes from these bytes.
    QByteArray content;
    const Result read =
        found ? platform::readFileChecked(found->path, content)
              : Result::failure(QStringLiteral("No settings file."), Problem::Missing);
    if (!read && read.problem == Problem::Missing) {
        state.settingsPath = defaultPath;
        writeDefaults(state, messages, notCreatedText());
        return StartupEnding::SettingsMissing;
    }
    state.settingsPath = found->path;
    if (!read) {
        // Replacing a file that could not be read would lose what it holds.
        messages.show(readFailedMessage(state.settingsPath, read.error));
        return StartupEnding::SettingsUnreadable;
    }

    const IniText text(content);
    if (!settingsFileSound(text)) {
        // Its bytes are kept before the defaults replace it, as <name>.corrupt (or
        // .corrupt_2, ...); where they cannot be, the file stays as it is and the program
        // ends, since running on would write into it.
        QByteArray copy;
        if (Result kept = platform::copyFileToFreeName(state.settingsPath,
                                                       state.settingsPath + ".corrupt", {}, copy);
            !kept) {
            messages.show(corruptCopyFailedMessage(state.settingsPath, copy, kept));
            return StartupEnding::SettingsUnreadable;
        }
        messages.show(corruptSettingsMessage());
        writeDefaults(state, messages, unchangedText());
        return StartupEnding::SettingsNotSound;
    }

    loadSettings(state, content, text);
    const bool valid = isGameDirectory(state.UTDir, state.ConfigFile);
    if (!valid) {
        messages.show(invalidPathMessage(state.UTDir));
    }
    return valid ? StartupEnding::Passed : StartupEnding::GameDirectoryInvalid;
}

}  // namespace rendix
