#pragma once

#include <QByteArray>

#include "app/Install.h"
#include "app/ModMain.h"
#include "platform/Messages.h"

// The start-up sequence: the settings file found, checked and read, and the game directory
// tested, before the program shows its first window.
namespace rendix {

// The ways a start ends.
enum class StartupEnding {
    // Nothing changed and the program ends; a box said why: the file exists but cannot be
    // read, or it is not sound and its bytes could not be kept before replacing it.
    SettingsUnreadable,
    SettingsMissing,       // the defaults were written; the game directory is to be chosen
    SettingsNotSound,      // "corrupt" box, the defaults written over it; the same
    GameDirectoryInvalid,  // "Invalid path" box; lists loaded; the same
    Passed,                // lists loaded; UTDir holds the game
};

// "Unreal Tournament is not in the specified location!", titled "Invalid path".
Message invalidPathMessage();
// The box for a game directory `dir` that failed its test: the one above, or, where the test
// could not look into a folder (unreadableGameFolder), one that names that folder and the
// system's reason.
Message invalidPathMessage(const QByteArray& dir);
// "Rendix.ini is corrupt.  All settings will be lost.", titled "Creating new Rendix.ini".
Message corruptSettingsMessage();

// Runs the start-up sequence against the settings file in `settingsFolder` (found in any
// letter case; state.settingsPath then ends in the name the folder stores), reading it once:
//  - missing: the default file is written there, UTDir is "" and the lists are the defaults;
//  - there but unreadable: the "Read failed" box names the file and the system's reason,
//    nothing changes, and the start ends with SettingsUnreadable;
//  - not of the five-section shape: its bytes are first copied beside it as
//    <name>.corrupt (or <name>.corrupt_2, _3..., never over a file); then the "corrupt"
//    box, the defaults written over it, UTDir "" and the default lists. Where the copy
//    fails, a box says so, the file stays as it is, and the start ends with
//    SettingsUnreadable;
//  - otherwise UTDir, ConfigFile and MapsPerList are read from [Main] and UTDir is tested
//    ("Invalid path" box when it fails), and the four lists are loaded, each in one pass.
// Where the defaults cannot be written, the "Write failed" box says so (and whether the file
// is as it was or was not created) and the run goes on with the defaults in memory.
StartupEnding StartupSequence(ModMain& state, Messages& messages, const QByteArray& settingsFolder);

}  // namespace rendix
