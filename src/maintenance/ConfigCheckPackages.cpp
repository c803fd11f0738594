#include "maintenance/ConfigCheckParts.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <algorithm>

#include "app/Failures.h"
#include "ini/LineScan.h"
#include "maintenance/ServerPackages.h"
#include "platform/Paths.h"

namespace rendix::configcheck {

namespace {

// The map-vote mods that can take the ServerPackages entries over: their settings file and
// the switch that makes them rewrite the entries on every map change.
struct VoteMod {
    const char* file;
    const char* key;
};
constexpr std::array<VoteMod, 2> kVoteMods{{
    {"MVE_Config.ini", "bOverrideServerPackages"},
    {"VoteSys.ini", "bManageServerPackages"},
}};

qsizetype firstBlank(QByteArrayView text) {
    const auto blank = std::find_if(text.begin(), text.end(), platform::isBlank);
    return blank - text.begin();
}

bool isBadPackageName(QByteArrayView name) {
    return std::any_of(name.begin(), name.end(), [](char c) {
        return c == '.' || c == '/' || c == '\\' || platform::isBlank(c);
    });
}

void twins(const std::vector<QByteArray>& names, const QByteArray& folder, FindingList& list) {
    QStringList shownNames;
    for (const QByteArray& name : names) {
        shownNames << shown(name);
    }
    std::sort(shownNames.begin(), shownNames.end());
    const QString named = shownNames.mid(0, shownNames.size() - 1).join(QStringLiteral(", ")) +
                          QStringLiteral(" and ") + shownNames.back();
    const QByteArray first = *std::min_element(
        names.begin(), names.end(),
        [](const QByteArray& a, const QByteArray& b) { return platform::byteLess(a, b); });
    list.add(finding::kPackageCaseTwins, std::nullopt,
             named + QStringLiteral(" in ") + shown(folder) +
                 QStringLiteral(" differ only in letter case: which of them the game loads is "
                                "undefined. Delete or rename all but one."),
             platform::joinPath(folder, {first}));
}

void voteModSwitch(const QByteArray& file, QByteArrayView bytes, const char* switchKey,
                   FindingList& list) {
    // As the profile layer reads a key: the first of its name in each section counts.
    QSet<QByteArray> sectionsSeen;
    QByteArray section;
    bool seen = false;
    for (ini::LineScan scan(bytes); scan.next();) {
        if (const std::optional<QByteArrayView> header = ini::headerName(scan.text())) {
            section = platform::foldCase(*header);
            seen = sectionsSeen.contains(section);
            continue;
        }
        const std::optional<ini::KeyText> key = ini::keyLine(scan.text());
        if (seen || !key || !platform::equalsFolded(key->name, switchKey)) {
            continue;
        }
        seen = true;
        sectionsSeen.insert(section);
        if (platform::equalsFolded(ini::readValue(key->value), "True")) {
            list.add(finding::kVoteModOwnsPackages, scan.number(),
                     shown(key->name) +
                         QStringLiteral("=True: the map-vote mod rewrites the ServerPackages "
                                        "entries of the game's configuration on every map "
                                        "change, so edits to them are undone. Set it to False "
                                        "to keep them as you write them."),
                     file);
        }
    }
}

}  // namespace

void checkServerPackages(const ConfigKeys& keys, QByteArrayView content, const Folders& folders,
                         FindingList& list) {
    // UpdateServerPackages removes only the lines of its block whose package is gone.
    const std::vector<qsizetype> block = serverPackagesBlockLines(content);
    const auto removable = [&](const KeyAt& key) {
        if (!std::binary_search(block.begin(), block.end(), key.line)) {
            return false;
        }
        const QByteArrayView package = key.text.sliced(key.text.indexOf('=') + 1);
        return !folders.holdsInt(package) && !folders.holdsPackage(package);
    };
    QHash<QByteArray, qsizetype> firstLine;
    for (const KeyAt& key : keys.engine) {
        if (!platform::equalsFolded(key.name, "ServerPackages") || key.value.isEmpty()) {
            continue;
        }
        const QString entry = QStringLiteral("ServerPackages=") + shown(key.value);
        QByteArray folded = platform::foldCase(key.value);
        if (const auto first = firstLine.constFind(folded); first != firstLine.cend()) {
            list.add(
                finding::kDuplicatePackage, key.line,
                shown(key.value) + QStringLiteral(" is listed twice in ServerPackages, on lines ") +
                    QString::number(*first) + QStringLiteral(" and ") + QString::number(key.line) +
                    QStringLiteral(". Remove one of the two lines."));
        } else {
            firstLine.insert(folded, key.line);
        }
        const QString fixed = QStringLiteral(" Add/Remove ServerPackages Entries removes it.");
        if (isBadPackageName(key.value)) {
            Finding& bad = list.add(
                finding::kBadPackageName, key.line,
                entry + QStringLiteral(" is no package name: the game cannot load it, since "
                                       "a name holds no \".\", \"/\", \"\\\" or blank. Give "
                                       "the name of the package alone, without extension "
                                       "or folder."));
            FindingList::setFix(bad, removable(key), fixed);
        } else if (!folders.holdsPackage(key.value)) {
            const bool halfInstalled = folders.holdsInt(key.value);
            Finding& missing = list.add(
                finding::kMissingPackage, key.line,
                entry +
                    QStringLiteral(": no package file of that name (.u, .utx, .uax, .umx "
                                   "or .unr) is in the package folders, so the server "
                                   "does not start; it logs \"Failed to load\" and "
                                   "exits. ") +
                    (halfInstalled ? QStringLiteral("Its .int file is there but not the package: "
                                                    "install the whole mod, or remove the line.")
                                   : QStringLiteral("Install the package, or remove the line.")));
            FindingList::setFix(missing, removable(key), fixed);
        }
    }
}

void checkServerActors(const ConfigKeys& keys, const Folders& folders, FindingList& list) {
    for (const KeyAt& key : keys.engine) {
        if (!platform::equalsFolded(key.name, "ServerActors") || key.value.isEmpty()) {
            continue;
        }
        QByteArrayView package(key.value);
        package = package.first(std::min(
            package.indexOf('.') < 0 ? package.size() : package.indexOf('.'), firstBlank(package)));
        if (!package.isEmpty() && !folders.holdsPackage(package)) {
            list.add(finding::kMissingActorPackage, key.line,
                     QStringLiteral("ServerActors=") + shown(key.value) +
                         QStringLiteral(": the package ") + shown(package) +
                         QStringLiteral(" is not in the package folders, so the server does not "
                                        "spawn this actor. Install the package, or remove the "
                                        "line."));
        }
    }
}

void checkCaseTwins(const Install& install, const Folders& folders, FindingList& list) {
    for (const SearchFolder& folder : install.packageFolders()) {
        const std::vector<QByteArray>& names = folders.names(folder.folder);
        // In listing order, names that differ only in letter case stand together.
        for (std::size_t i = 0; i < names.size();) {
            std::size_t end = i + 1;
            while (end < names.size() && platform::equalsFolded(names[i], names[end])) {
                ++end;
            }
            if (end - i > 1 && packageOfFile(names[i])) {
                twins({names.begin() + static_cast<qsizetype>(i),
                       names.begin() + static_cast<qsizetype>(end)},
                      folder.folder, list);
            }
            i = end;
        }
    }
}

std::optional<Message> checkVoteMods(const Install& install, const Folders& folders,
                                     FindingList& list) {
    std::vector<QByteArray> programFolders = install.programFolders();
    if (std::find(programFolders.begin(), programFolders.end(), install.configFolder()) ==
        programFolders.end()) {
        programFolders.push_back(install.configFolder());
    }
    for (const QByteArray& folder : programFolders) {
        for (const VoteMod& mod : kVoteMods) {
            const std::vector<QByteArray>& names = folders.names(folder);
            if (std::none_of(names.begin(), names.end(), [&](const QByteArray& name) {
                    return platform::equalsFolded(name, mod.file);
                })) {
                continue;
            }
            const std::optional<platform::FoundFile> file =
                platform::lookupFile(platform::joinPath(folder, {mod.file}));
            QByteArray bytes;
            if (const Result read = file ? platform::readFileChecked(file->path, bytes)
                                         : Result::failure({}, Problem::Missing);
                !read) {
                if (read.problem == Problem::Missing) {
                    continue;  // gone since the folder was listed
                }
                return readFailedMessage(file->path, read, nothingCheckedText());
            }
            voteModSwitch(file->path, bytes, mod.key, list);
        }
    }
    return std::nullopt;
}

}  // namespace rendix::configcheck
