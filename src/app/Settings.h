#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <utility>
#include <vector>

#include "app/GameTypes.h"
#include "app/ModMain.h"
#include "ini/IniHandler.h"
#include "platform/FileLock.h"
#include "platform/Messages.h"
#include "platform/Result.h"

// The settings file Rendix.ini: where it lives, its default content, its shape, and the
// exclusion lists it holds.
namespace rendix {

// The name the settings file is created under; an existing file is found in any letter case.
inline constexpr const char* kSettingsFileName = "Rendix.ini";

// The 15 lines of a new settings file, each ended by CR LF: [Main] with an empty UTDir,
// then each exclusion section with the game type's tutorial map as entry 0, a blank line
// after every section.
QByteArray defaultSettingsContent();

// Creates the file at `path`, or replaces what it holds, with the default content. On
// failure the file is as it was (or still missing) and the failure is returned.
Result WriteDefaultSettings(const QByteArray& path);

// Whether finding the settings file may make the per-user folder and copy into it.
enum class SettingsAccess {
    // For a run that may write the file.
    ReadWrite,
    // For a run that only reads it: nothing is made or copied.
    ReadOnly,
};

// The folders the settings file may live in.
struct SettingsPlaces {
    QByteArray programDir;
    bool programDirWritable = false;  // a file can be created (and removed) there
    QByteArray userFolder;            // the per-user configuration folder
};

// The places of the running program; tells whether its folder can be written by creating a
// file there and removing it again.
SettingsPlaces settingsPlaces();

// The folder that holds the settings file for this run, chosen once at start-up: the
// program folder when it can be written, otherwise the per-user configuration folder.
//  - ReadWrite: the per-user folder is created when missing and, when it holds no Rendix.ini
//    yet (in any letter case), receives a byte copy of the program folder's one if there is
//    one. A failure to create the folder or to copy leaves the file missing there, so the
//    start-up writes the defaults.
//  - ReadOnly: the same choice without making or copying anything; where ReadWrite would copy
//    the program folder's file, the program folder is returned, so that the same bytes are
//    read.
QByteArray chooseSettingsFolder(SettingsAccess access,
                                const SettingsPlaces& places = settingsPlaces());

// Whether the settings file, as `text` scans it, has the shape Rendix writes: exactly five
// section header lines, and headers spelled exactly "[Main]", "[MapExcludes.DM]",
// "[MapExcludes.CTF]", "[MapExcludes.DOM]" and "[MapExcludes.AS]" (in any order). The first
// missing one ends the check.
bool settingsFileSound(const IniText& text);

// Loads the four exclusion lists from the settings file's `content` (scanned as `text`), in
// the order DM, CTF, DOM, AS: entry i is the value of prefix + i + "]" as ReadKeyValue reads
// it, for i below the number of key lines of the section (NumKeys); a missing index reads as
// "". A section without key lines, or without a header, gives one empty entry, so that
// entry 0 always exists. One pass per list.
void loadExclusionLists(ModMain& state, QByteArrayView content, const IniText& text);

// Takes everything a sound settings file holds into `state`: UTDir, ConfigFile and
// MapsPerList of [Main] (absent keys read as "", "" and the default) and the four lists.
void loadSettings(ModMain& state, QByteArrayView content, const IniText& text);

// The one way the keys of [Main] (UTDir, ConfigFile, MapsPerList) are stored: sets each
// key of [Main] in the settings file at `settingsPath` to its value in one safe rewrite
// (creating the file, the section or a key as needed, and never another section), holding
// the settings file's lock against other Rendix processes while it reads and writes. A
// value that would not read back as written (longer than 254 characters, blanks at either
// end, enclosed in a pair of quotes, or holding a line break) is refused. On failure
// (Problem::Busy when another process holds the lock past `lockTimeoutMs`) the file is as
// it was.
Result writeMainSettings(const QByteArray& settingsPath,
                         const std::vector<std::pair<QByteArray, QByteArray>>& settings,
                         int lockTimeoutMs = platform::FileLock::kDefaultTimeoutMs);

// writeMainSettings for one key.
Result writeMainSetting(const QByteArray& settingsPath, const QByteArray& key,
                        const QByteArray& value);

// Reads the settings file at state.settingsPath afresh, holding its lock, and takes what it
// holds into `state` (loadSettings), so that a command of a long-running window acts on what
// another Rendix (the command line, another window) stored since the start-up, not on the
// start-up's copy. A missing file leaves `state` as it is: nothing newer was stored (the next
// start-up writes the defaults). Where no lock file can be made the file is read without
// the lock. When the file cannot be read, is not of the sound shape, or another
// Rendix holds its lock past `lockTimeoutMs`, a box ("Read failed", or "Busy") names the file
// and the reason, `state` is as it was, and false is returned: the command must do nothing,
// since acting on the old copy could undo what was stored.
bool refreshSettings(ModMain& state, Messages& messages,
                     int lockTimeoutMs = platform::FileLock::kDefaultTimeoutMs);

// refreshSettings for a command that changes the exclusion list of `type` and stores it:
// reads that list afresh into `state` (nothing else of `state` changes) and leaves the
// settings file's lock held in `lock`, so that the command's rewrite, made while `lock`
// still holds it, cannot undo what another Rendix stored meanwhile. A missing file leaves
// the list as it is. Boxes, failures and the read without a lock where no lock file can
// be made are those of refreshSettings; false means the command must do nothing.
bool refreshExclusionList(ModMain& state, const GameType& type, Messages& messages,
                          platform::FileLock& lock,
                          int lockTimeoutMs = platform::FileLock::kDefaultTimeoutMs);

// The MapsPerList value of [Main] as a number of slots: 1 to kMaxMapsPerList, and
// kDefaultMapsPerList for an absent, empty or unreadable value or one out of range.
int mapsPerListSetting(const QByteArray& value);

// The lists of the default settings file: the tutorial map of each type.
void loadDefaultExclusionLists(ModMain& state);

}  // namespace rendix
