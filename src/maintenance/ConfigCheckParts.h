#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

#include "app/GameTypes.h"
#include "app/Install.h"
#include "maintenance/ConfigCheck.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "platform/Text.h"

// The pieces of CheckConfiguration, shared by its files only: what it reads (the key lines of
// the configuration file, the folder listings), where it gathers its findings, and one
// routine per group of findings. Nothing outside src/maintenance/ConfigCheck*.cpp uses them.
namespace rendix::configcheck {

// Names in a finding's text, with control characters escaped as every message shows them.
inline QString shown(QByteArrayView bytes) {
    return platform::shownName(bytes);
}

// The last sentence of every box that stops the check.
inline QString nothingCheckedText() {
    return QStringLiteral("Nothing was checked.");
}

// A key line of one of the sections the check reads.
struct KeyAt {
    QByteArrayView name;
    QByteArray value;  // as a read returns it
    QByteArrayView text;
    qsizetype line = 0;
};

// The key lines of the first section of each name the check reads.
struct ConfigKeys {
    std::vector<KeyAt> engine;                   // [Engine.GameEngine]
    std::array<std::vector<KeyAt>, 4> mapLists;  // in the order of kGameTypes
    std::vector<KeyAt> startGame;                // [UTMenu.UTStartGameCW]
};

inline constexpr QByteArrayView kEngineSection("Engine.GameEngine");
inline constexpr QByteArrayView kStartGameSection("UTMenu.UTStartGameCW");

// The key lines of `bytes`, the whole configuration file, that the check reads; they point
// into `bytes`, which must outlive them.
ConfigKeys readKeys(QByteArrayView bytes);

// What the folders hold, each listed once.
struct Folders {
    std::vector<std::pair<QByteArray, platform::Listing>> listed;
    std::vector<QByteArray> packageFolders;
    std::vector<SearchFolder> mapFolders;
    std::vector<QByteArray> intFolders;  // System and SystemLocalized/int

    // The names `folder` held when it was listed, in the listing order; none for a folder
    // that was not listed.
    const std::vector<QByteArray>& names(const QByteArray& folder) const;

    // Whether one of `folders` holds a file `stem` + "." + one of `extensions`, in any
    // letter case.
    bool holds(const std::vector<QByteArray>& folders, QByteArrayView stem,
               std::initializer_list<QByteArrayView> extensions) const;
    // A package file (.u, .utx, .uax, .umx or .unr) of `package` in a package folder.
    bool holdsPackage(QByteArrayView package) const {
        return holds(packageFolders, package, {"u", "utx", "uax", "umx", "unr"});
    }
    // The .int file of `package` in System or SystemLocalized/int.
    bool holdsInt(QByteArrayView package) const { return holds(intFolders, package, {"int"}); }
    // A map file of that name in a map folder, one that the folder's pattern takes.
    bool holdsMap(QByteArrayView file) const;
};

// Lists every folder the check reads into `folders`, each once; the folder that could not be
// listed, if any (`folders` is then incomplete).
std::optional<QByteArray> listFolders(const Install& install, Folders& folders);

// The findings as they are made, in the order they are made.
class FindingList {
public:
    // Findings without a file of their own concern `config`, the configuration file.
    explicit FindingList(QByteArray config) : m_config(std::move(config)) {}

    std::vector<Finding> findings;

    // Appends a finding of `kind` in `file` (the configuration file where empty) and returns
    // it, valid until the next add.
    Finding& add(const FindingKind& kind, std::optional<qsizetype> line, QString text,
                 const QByteArray& file = {});

    // A finding that the kind's command fixes, where it does (`fixes`): names the command and
    // appends `how` to the text. Leaves the finding alone otherwise.
    static void setFix(Finding& finding, bool fixes, const QString& how);

private:
    QByteArray m_config;
};

// The ServerPackages= entries of [Engine.GameEngine] (`content` is the whole configuration
// file): duplicate-package, bad-package-name, missing-package.
void checkServerPackages(const ConfigKeys& keys, QByteArrayView content, const Folders& folders,
                         FindingList& list);
// The ServerActors= entries of [Engine.GameEngine]: missing-actor-package.
void checkServerActors(const ConfigKeys& keys, const Folders& folders, FindingList& list);
// The package folders of `install`: package-case-twins.
void checkCaseTwins(const Install& install, const Folders& folders, FindingList& list);
// The settings files of the map-vote mods: vote-mod-owns-packages. The box that stops the
// check when one that exists cannot be read, after which `list` is incomplete.
std::optional<Message> checkVoteMods(const Install& install, const Folders& folders,
                                     FindingList& list);

// The map list sections of the four game types: map-without-extension, missing-map,
// map-list-gap.
void checkMapLists(const ConfigKeys& keys, const Folders& folders, FindingList& list);
// Map= of [UTMenu.UTStartGameCW]: missing-map.
void checkStartGameMap(const ConfigKeys& keys, const Folders& folders, FindingList& list);

}  // namespace rendix::configcheck
