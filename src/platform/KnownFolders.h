#pragma once

#include <QByteArray>

// The folders the system assigns: the program's own, the user's home and configuration
// folders, and whether Rendix may keep its settings in a folder.
namespace rendix::platform {

// The folder of the running executable, without a trailing separator (the test seam's,
// when it sets one).
QByteArray programDirectory();

// The per-user configuration folder (on Linux QStandardPaths::AppConfigLocation,
// ~/.config/Rendix; on Windows %APPDATA%\Rendix), not created here (the test seam's, when it
// sets one).
QByteArray userConfigFolder();

// The user's home folder, without a trailing separator (the test seam's, when it sets one).
QByteArray homeFolder();

// The per-user data folder: XDG_DATA_HOME where it is set to an absolute path, otherwise
// ~/.local/share; under a test seam the seam's data home, else ~/.local/share of the seam's
// home folder. Without a trailing separator; not created here.
QByteArray userDataFolder();

// A path as the user typed it: "~" alone or at the start of "~/..." stands for the home
// folder; anything else is returned as it is.
QByteArray expandUserPath(const QByteArray& typed);

// Whether a file could be created (and was removed again) in folder `dir` (resolved first):
// where it cannot, the settings go to the per-user configuration folder. The probe file is
// hidden and of Rendix's own temporary naming (kProbePrefix), so that a killed run's probe
// is removed as a leftover.
bool canCreateFileIn(const QByteArray& dir);

// What each operating system answers (KnownFolders_posix.cpp); the routines above ask it.
namespace os {
QByteArray userConfigFolder();
}  // namespace os

}  // namespace rendix::platform
