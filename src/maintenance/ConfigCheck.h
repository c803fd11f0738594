#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <vector>

#include "app/GameTypes.h"
#include "app/Install.h"
#include "platform/Messages.h"

// The check of an install's configuration: the mistakes that keep a server from starting, or
// quietly make it play less than its admin set up, each with the line it concerns and what
// to do about it.
namespace rendix {

enum class Severity { Error, Warning, Note };

// "error", "warning" or "note".
const char* severityName(Severity severity);

// The commands that fix some findings, named as rendix-cli names them.
inline constexpr const char* kFixServerPackages = "serverpackages";
inline constexpr const char* kFixRandomize = "randomize";
inline constexpr const char* kFixDeleteBackups = "delete-backups";

// A kind of finding: the stable code that scripts match, its severity, and the command that
// can fix it (nullptr where none can).
struct FindingKind {
    const char* code;
    Severity severity;
    const char* fix;
};

// Every kind of finding, in one table.
namespace finding {
inline constexpr FindingKind kMissingPackage{
    .code = "missing-package", .severity = Severity::Error, .fix = kFixServerPackages};
inline constexpr FindingKind kBadPackageName{
    .code = "bad-package-name", .severity = Severity::Error, .fix = kFixServerPackages};
inline constexpr FindingKind kMissingActorPackage{
    .code = "missing-actor-package", .severity = Severity::Warning, .fix = nullptr};
inline constexpr FindingKind kDuplicatePackage{
    .code = "duplicate-package", .severity = Severity::Warning, .fix = nullptr};
inline constexpr FindingKind kPackageCaseTwins{
    .code = "package-case-twins", .severity = Severity::Warning, .fix = nullptr};
inline constexpr FindingKind kMapListGap{
    .code = "map-list-gap", .severity = Severity::Warning, .fix = kFixRandomize};
inline constexpr FindingKind kMissingMap{
    .code = "missing-map", .severity = Severity::Warning, .fix = kFixRandomize};
inline constexpr FindingKind kMapWithoutExtension{
    .code = "map-without-extension", .severity = Severity::Warning, .fix = kFixRandomize};
inline constexpr FindingKind kVoteModOwnsPackages{
    .code = "vote-mod-owns-packages", .severity = Severity::Warning, .fix = nullptr};
inline constexpr FindingKind kGameRunning{
    .code = "game-running", .severity = Severity::Note, .fix = nullptr};
inline constexpr FindingKind kManyBackups{
    .code = "many-backups", .severity = Severity::Note, .fix = kFixDeleteBackups};
}  // namespace finding

// One problem found.
struct Finding {
    const FindingKind* kind = nullptr;
    QByteArray file;                // full path
    std::optional<qsizetype> line;  // from 1; none where the finding concerns no one line
    QString text;                   // what happens in the game, and what to do
    // The command that fixes this finding (the kind's, where it does for this one), or
    // nullptr.
    const char* fix = nullptr;
    // The game type whose map list a randomize fixes; nullptr for other findings.
    const GameType* gameType = nullptr;

    Severity severity() const { return kind->severity; }
    const char* code() const { return kind->code; }
};

struct ConfigCheck {
    // Set when the check could not be made (a file that cannot be read, a folder that cannot
    // be listed, no configuration file): the box that says so. The findings are then empty.
    std::optional<Message> failure;
    std::vector<Finding> findings;
};

// Checks the configuration of `install` and the folders it names, reading the configuration
// file once (as the install read it) and listing each folder once: every package folder,
// map folder, System, SystemLocalized/int, the System64 and SystemARM64 folders and the
// configuration file's folder. Reads the map-vote mods' own settings files where they exist,
// and asks which programs of the install run. Changes no byte and makes no backup.
//  - missing-package (error): a ServerPackages= entry of [Engine.GameEngine] without a
//    package file of its name (.u, .utx, .uax, .umx, .unr, any letter case) in a package
//    folder. Fixed by serverpackages where that removes the line: an entry of the block it
//    edits without an .int file in System or SystemLocalized/int.
//  - bad-package-name (error): an entry holding ".", "/", "\" or a blank.
//  - missing-actor-package (warning): a ServerActors= entry whose package (the text before
//    the first ".") has no package file.
//  - duplicate-package (warning): an entry of a package listed before (letter case
//    ignored), at the later line; the text names both.
//  - package-case-twins (warning): package files of one folder whose names differ only in
//    letter case, one finding per group, at the first in byte order.
//  - map-list-gap (warning): the first empty or missing Maps[k] of a map list section before
//    a non-empty one: at the empty key's line, or at the next map's line for a missing one.
//  - missing-map (warning): a Maps[k] value of a map list section, or Map= of
//    [UTMenu.UTStartGameCW], that no map folder holds (a name without .unr is looked for
//    with it). For Map= randomize fixes it only where GameType= names one of the four.
//  - map-without-extension (warning): a Maps[k] value that does not end in ".unr".
//  - vote-mod-owns-packages (warning): bOverrideServerPackages=True in MVE_Config.ini or
//    bManageServerPackages=True in VoteSys.ini, in System, System64, SystemARM64 or the
//    configuration file's folder, at that line (keys and "True" in any letter case).
//  - game-running (note): a game or server of the install runs.
//  - many-backups (note): more than 20 backups beside the configuration file.
// Sections and keys are read as the profile layer reads them; of a section named twice the
// first counts, and of a key named twice in a map list the first. Findings come in the order
// of their files (the configuration file first, the others by path), each file's by line,
// those without a line last.
ConfigCheck CheckConfiguration(const Install& install);

// A finding as compilers print theirs: "<file>:<line>: <severity>: <text> [<code>]", or
// "<file>: <severity>: <text> [<code>]" without a line; the path as stored, the text in the
// local 8-bit encoding. No line break at the end.
QByteArray findingLine(const Finding& finding);

// "<n> errors, <n> warnings, <n> notes".
QByteArray findingCounts(const std::vector<Finding>& findings);

// Whether any finding is an error.
bool hasErrors(const std::vector<Finding>& findings);

}  // namespace rendix
