#include "maintenance/ConfigCheck.h"

#include <QHash>
#include <QLocale>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <initializer_list>
#include <span>
#include <tuple>
#include <utility>

#include "app/Failures.h"
#include "ini/LineScan.h"
#include "maintenance/Backups.h"
#include "maintenance/ConfigChange.h"
#include "maintenance/Restore.h"
#include "maintenance/ServerPackages.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace rendix {

namespace {

// More backups than this, and the admin hears of them.
constexpr qsizetype kManyBackups = 20;

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

// Names in a finding's text, with control characters escaped as every message shows them.
QString shown(QByteArrayView bytes) {
    return platform::shownName(bytes);
}

bool endsWithMapExtension(QByteArrayView name) {
    return name.size() > 4 && platform::equalsFolded(name.last(4), ".unr");
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

constexpr QByteArrayView kEngineSection("Engine.GameEngine");
constexpr QByteArrayView kStartGameSection("UTMenu.UTStartGameCW");

ConfigKeys readKeys(QByteArrayView bytes) {
    ConfigKeys keys;
    std::vector<std::pair<QByteArrayView, std::vector<KeyAt>*>> sections{
        {kEngineSection, &keys.engine}, {kStartGameSection, &keys.startGame}};
    for (std::size_t i = 0; i < kGameTypes.size(); ++i) {
        sections.emplace_back(kGameTypes[i].mapListSection, &keys.mapLists[i]);
    }
    std::vector<KeyAt>* current = nullptr;
    for (ini::LineScan scan(bytes); scan.next();) {
        const QByteArrayView text = scan.text();
        if (const std::optional<QByteArrayView> header = ini::headerName(text)) {
            current = nullptr;
            for (auto& [name, target] : sections) {
                if (target && platform::equalsFolded(*header, name)) {
                    // As the profile layer reads: a later section of the name is not read.
                    current = std::exchange(target, nullptr);
                }
            }
        } else if (current) {
            if (const std::optional<ini::KeyText> key = ini::keyLine(text)) {
                current->push_back({key->name, ini::readValue(key->value), text, scan.number()});
            }
        }
    }
    return keys;
}

// Compares names as the listing order does first: byte by byte with a-z counted as A-Z, a
// name before the longer names it begins.
bool foldedLess(QByteArrayView a, QByteArrayView b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(platform::upperByte(a[i]));
        const auto y = static_cast<unsigned char>(platform::upperByte(b[i]));
        if (x != y) {
            return x < y;
        }
    }
    return a.size() < b.size();
}

// The names of a listing that begin with `prefix` in any letter case. A listing comes in the
// listing order, so they stand together and are found by a binary search: the check looks
// up a few thousand names among tens of thousands of files without indexing the files.
std::span<const QByteArray> namesStartingWith(const std::vector<QByteArray>& names,
                                              QByteArrayView prefix) {
    const auto first = std::lower_bound(
        names.begin(), names.end(), prefix,
        [](const QByteArray& name, QByteArrayView key) { return foldedLess(name, key); });
    auto last = first;
    while (last != names.end() && last->size() >= prefix.size() &&
           platform::equalsFolded(QByteArrayView(*last).first(prefix.size()), prefix)) {
        ++last;
    }
    return {first, last};
}

// What the folders hold, each listed once.
struct Folders {
    std::vector<std::pair<QByteArray, platform::Listing>> listed;
    std::vector<QByteArray> packageFolders;
    std::vector<SearchFolder> mapFolders;
    std::vector<QByteArray> intFolders;  // System and SystemLocalized/int

    const std::vector<QByteArray>& names(const QByteArray& folder) const {
        static const std::vector<QByteArray> none;
        for (const auto& [path, listing] : listed) {
            if (path == folder) {
                return listing.names;
            }
        }
        return none;
    }

    // Whether one of `folders` holds a file `stem` + "." + one of `extensions`, in any
    // letter case.
    bool holds(const std::vector<QByteArray>& folders, QByteArrayView stem,
               std::initializer_list<QByteArrayView> extensions) const {
        const QByteArray prefix = stem.toByteArray() + '.';
        for (const QByteArray& folder : folders) {
            for (const QByteArray& name : namesStartingWith(names(folder), prefix)) {
                const QByteArrayView extension = QByteArrayView(name).sliced(prefix.size());
                if (std::any_of(extensions.begin(), extensions.end(), [&](QByteArrayView known) {
                        return platform::equalsFolded(extension, known);
                    })) {
                    return true;
                }
            }
        }
        return false;
    }
    // A package file (.u, .utx, .uax, .umx or .unr) of `package` in a package folder.
    bool holdsPackage(QByteArrayView package) const {
        return holds(packageFolders, package, {"u", "utx", "uax", "umx", "unr"});
    }
    // The .int file of `package` in System or SystemLocalized/int.
    bool holdsInt(QByteArrayView package) const { return holds(intFolders, package, {"int"}); }
    // A map file of that name in a map folder, one that the folder's pattern takes.
    bool holdsMap(QByteArrayView file) const {
        for (const SearchFolder& folder : mapFolders) {
            for (const QByteArray& name : namesStartingWith(names(folder.folder), file)) {
                if (name.size() == file.size() && platform::wildcardMatch(folder.pattern, name)) {
                    return true;
                }
            }
        }
        return false;
    }
};

// Lists every folder the check reads, each once; the folder that could not be listed, if any.
std::optional<QByteArray> listFolders(const Install& install, Folders& folders) {
    for (const SearchFolder& folder : install.packageFolders()) {
        folders.packageFolders.push_back(folder.folder);
    }
    folders.mapFolders = install.mapFolders();
    folders.intFolders = {install.systemFolder(), install.localizedIntFolder()};
    std::vector<QByteArray> paths;
    const auto add = [&](const QByteArray& path) {
        if (std::find(paths.begin(), paths.end(), path) == paths.end()) {
            paths.push_back(path);
        }
    };
    for (const QByteArray& folder : folders.packageFolders) {
        add(folder);
    }
    for (const SearchFolder& folder : folders.mapFolders) {
        add(folder.folder);
    }
    for (const QByteArray& folder : folders.intFolders) {
        add(folder);
    }
    add(install.configFolder());
    for (const QByteArray& folder : install.programFolders()) {
        add(folder);
    }
    for (const QByteArray& path : paths) {
        platform::Listing listing = platform::listFiles(path, "*");
        if (!listing.ok) {
            return path;
        }
        folders.listed.emplace_back(path, std::move(listing));
    }
    return std::nullopt;
}

class Checker {
public:
    Checker(const Install& install, const Folders& folders)
        : m_folders(folders), m_config(install.configFile()) {}

    std::vector<Finding> findings;

    void serverPackages(const ConfigKeys& keys, QByteArrayView content) {
        // UpdateServerPackages removes only the lines of its block whose package is gone.
        const std::vector<qsizetype> block = serverPackagesBlockLines(content);
        const auto removable = [&](const KeyAt& key) {
            if (!std::binary_search(block.begin(), block.end(), key.line)) {
                return false;
            }
            const QByteArrayView package = key.text.sliced(key.text.indexOf('=') + 1);
            return !m_folders.holdsInt(package) && !m_folders.holdsPackage(package);
        };
        QHash<QByteArray, qsizetype> firstLine;
        for (const KeyAt& key : keys.engine) {
            if (!platform::equalsFolded(key.name, "ServerPackages") || key.value.isEmpty()) {
                continue;
            }
            const QString entry = QStringLiteral("ServerPackages=") + shown(key.value);
            QByteArray folded = platform::foldCase(key.value);
            if (const auto first = firstLine.constFind(folded); first != firstLine.cend()) {
                add(finding::kDuplicatePackage, key.line,
                    shown(key.value) +
                        QStringLiteral(" is listed twice in ServerPackages, on lines ") +
                        QString::number(*first) + QStringLiteral(" and ") +
                        QString::number(key.line) +
                        QStringLiteral(". Remove one of the two lines."));
            } else {
                firstLine.insert(folded, key.line);
            }
            const QString fixed = QStringLiteral(" Add/Remove ServerPackages Entries removes it.");
            if (isBadPackageName(key.value)) {
                Finding& bad = add(
                    finding::kBadPackageName, key.line,
                    entry + QStringLiteral(" is no package name: the game cannot load it, since "
                                           "a name holds no \".\", \"/\", \"\\\" or blank. Give "
                                           "the name of the package alone, without extension "
                                           "or folder."));
                setFix(bad, removable(key), fixed);
            } else if (!m_folders.holdsPackage(key.value)) {
                const bool halfInstalled = m_folders.holdsInt(key.value);
                Finding& missing =
                    add(finding::kMissingPackage, key.line,
                        entry +
                            QStringLiteral(": no package file of that name (.u, .utx, .uax, .umx "
                                           "or .unr) is in the package folders, so the server does "
                                           "not start; it logs \"Failed to load\" and exits. ") +
                            (halfInstalled
                                 ? QStringLiteral("Its .int file is there but not the package: "
                                                  "install the whole mod, or remove the line.")
                                 : QStringLiteral("Install the package, or remove the line.")));
                setFix(missing, removable(key), fixed);
            }
        }
    }

    void serverActors(const ConfigKeys& keys) {
        for (const KeyAt& key : keys.engine) {
            if (!platform::equalsFolded(key.name, "ServerActors") || key.value.isEmpty()) {
                continue;
            }
            QByteArrayView package(key.value);
            package = package.first(
                std::min(package.indexOf('.') < 0 ? package.size() : package.indexOf('.'),
                         firstBlank(package)));
            if (!package.isEmpty() && !m_folders.holdsPackage(package)) {
                add(finding::kMissingActorPackage, key.line,
                    QStringLiteral("ServerActors=") + shown(key.value) +
                        QStringLiteral(": the package ") + shown(package) +
                        QStringLiteral(" is not in the package folders, so the server does not "
                                       "spawn this actor. Install the package, or remove the "
                                       "line."));
            }
        }
    }

    void mapLists(const ConfigKeys& keys) {
        for (std::size_t t = 0; t < kGameTypes.size(); ++t) {
            const GameType& type = kGameTypes[t];
            std::vector<const KeyAt*> slots(kMaxMapsPerList, nullptr);
            qsizetype last = -1;
            for (const KeyAt& key : keys.mapLists[t]) {
                const qsizetype k = ini::listIndex(key.name, "Maps[", kMaxMapsPerList);
                if (k < 0 || slots[static_cast<std::size_t>(k)]) {
                    continue;
                }
                slots[static_cast<std::size_t>(k)] = &key;
                if (!key.value.isEmpty()) {
                    last = std::max(last, k);
                    mapEntry(type, k, key);
                }
            }
            gap(type, slots, last);
        }
    }

    void startGameMap(const ConfigKeys& keys) {
        const KeyAt* map = firstKey(keys.startGame, "Map");
        if (!map || map->value.isEmpty() || holdsMap(map->value)) {
            return;
        }
        const KeyAt* gameType = firstKey(keys.startGame, "GameType");
        const auto type =
            std::find_if(kGameTypes.begin(), kGameTypes.end(), [&](const GameType& t) {
                return gameType && platform::equalsFolded(gameType->value, t.gameTypeValue);
            });
        Finding& missing =
            add(finding::kMissingMap, map->line,
                QStringLiteral("Map=") + shown(map->value) + QStringLiteral(" of [") +
                    shown(kStartGameSection) + QStringLiteral("]: no map folder holds ") +
                    shown(mapFileName(map->value)) +
                    QStringLiteral(", so the start-game menu offers a map that cannot be loaded. "
                                   "Install the map, or choose another."));
        // Randomizing another game type would change the menu's game type as well.
        if (type != kGameTypes.end()) {
            missing.gameType = &*type;
            setFix(missing, true,
                   QStringLiteral(" Randomize sets it to the first map of the new list."));
        }
    }

    void caseTwins(const Install& install) {
        for (const SearchFolder& folder : install.packageFolders()) {
            const std::vector<QByteArray>& names = m_folders.names(folder.folder);
            // In listing order, names that differ only in letter case stand together.
            for (std::size_t i = 0; i < names.size();) {
                std::size_t end = i + 1;
                while (end < names.size() && platform::equalsFolded(names[i], names[end])) {
                    ++end;
                }
                if (end - i > 1 && packageOfFile(names[i])) {
                    twins({names.begin() + static_cast<qsizetype>(i),
                           names.begin() + static_cast<qsizetype>(end)},
                          folder.folder);
                }
                i = end;
            }
        }
    }

    // The settings files of the map-vote mods; false, with `failure` set, when one that
    // exists cannot be read.
    bool voteMods(const Install& install, std::optional<Message>& failure) {
        std::vector<QByteArray> folders = install.programFolders();
        if (std::find(folders.begin(), folders.end(), install.configFolder()) == folders.end()) {
            folders.push_back(install.configFolder());
        }
        for (const QByteArray& folder : folders) {
            for (const VoteMod& mod : kVoteMods) {
                const std::vector<QByteArray>& names = m_folders.names(folder);
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
                    failure = readFailedMessage(file->path, read, nothingCheckedText());
                    return false;
                }
                voteModSwitch(file->path, bytes, mod.key);
            }
        }
        return true;
    }

    void running(const Install& install) {
        const std::vector<QByteArray> programs = runningGames(install);
        if (!programs.empty()) {
            add(finding::kGameRunning, std::nullopt,
                QStringLiteral("Unreal Tournament is running (") + shown(programs.front()) +
                    QStringLiteral("): it writes its settings back to this file when it "
                                   "exits, so changes made meanwhile are lost. Stop it before "
                                   "you change the file."));
        }
    }

    void backups(const Install& install) {
        const std::vector<QByteArray>& names = m_folders.names(install.configFolder());
        if (std::count_if(names.begin(), names.end(), [](const QByteArray& name) {
                return platform::wildcardMatch(kBackupPattern, name);
            }) <= kManyBackups) {
            return;
        }
        // Counted as Delete Backup Files counts them, with their sizes: only now, since few
        // installs have that many.
        const std::vector<BackupInfo> backups = listBackups(install);
        if (static_cast<qsizetype>(backups.size()) <= kManyBackups) {
            return;
        }
        qint64 size = 0;
        for (const BackupInfo& backup : backups) {
            size += backup.size;
        }
        Finding& many = add(finding::kManyBackups, std::nullopt,
                            QString::number(backups.size()) +
                                QStringLiteral(" backups of this file lie beside it, ") +
                                QLocale::c().formattedDataSize(size) + QStringLiteral(" in all."));
        setFix(many, true, QStringLiteral(" Delete Backup Files removes them."));
    }

    static QString nothingCheckedText() { return QStringLiteral("Nothing was checked."); }

private:
    Finding& add(const FindingKind& kind, std::optional<qsizetype> line, QString text,
                 const QByteArray& file = {}) {
        findings.push_back({&kind, file.isEmpty() ? m_config : file, line, std::move(text)});
        return findings.back();
    }

    // A finding that the kind's command fixes, where it does: says so and names it.
    static void setFix(Finding& finding, bool fixes, const QString& how) {
        if (fixes) {
            finding.fix = finding.kind->fix;
            finding.text += how;
        }
    }

    static qsizetype firstBlank(QByteArrayView text) {
        const auto blank = std::find_if(text.begin(), text.end(), platform::isBlank);
        return blank - text.begin();
    }

    static bool isBadPackageName(QByteArrayView name) {
        return std::any_of(name.begin(), name.end(), [](char c) {
            return c == '.' || c == '/' || c == '\\' || platform::isBlank(c);
        });
    }

    static const KeyAt* firstKey(const std::vector<KeyAt>& keys, QByteArrayView name) {
        const auto key = std::find_if(keys.begin(), keys.end(), [&](const KeyAt& k) {
            return platform::equalsFolded(k.name, name);
        });
        return key == keys.end() ? nullptr : &*key;
    }

    // The file a map list names: the game adds ".unr" to a name without it.
    static QByteArray mapFileName(const QByteArray& value) {
        return endsWithMapExtension(value) ? value : value + ".unr";
    }

    bool holdsMap(const QByteArray& value) const { return m_folders.holdsMap(mapFileName(value)); }

    QString entryName(const GameType& type, qsizetype k) const {
        return QStringLiteral("Maps[") + QString::number(k) + QStringLiteral("] of [") +
               QLatin1String(type.mapListSection) + QLatin1Char(']');
    }

    void mapEntry(const GameType& type, qsizetype k, const KeyAt& key) {
        const QString entry = QStringLiteral("Maps[") + QString::number(k) + QStringLiteral("]=") +
                              shown(key.value) + QStringLiteral(" of [") +
                              QLatin1String(type.mapListSection) + QLatin1Char(']');
        if (!endsWithMapExtension(key.value)) {
            Finding& bare =
                add(finding::kMapWithoutExtension, key.line,
                    entry +
                        QStringLiteral(" has no .unr: the rotation does not recognise it as the "
                                       "current map and starts over from Maps[0]. Write it as ") +
                        shown(mapFileName(key.value)) + QLatin1Char('.'));
            bare.gameType = &type;
            setFix(bare, true, QStringLiteral(" Randomize writes every name with .unr."));
        }
        if (!holdsMap(key.value)) {
            Finding& missing = add(
                finding::kMissingMap, key.line,
                entry + QStringLiteral(": no map folder holds ") + shown(mapFileName(key.value)) +
                    QStringLiteral(", so the server cannot switch to it when the rotation gets "
                                   "there. Install the map, or take it off the list."));
            missing.gameType = &type;
            setFix(missing, true,
                   QStringLiteral(" Randomize makes a list of the maps that are there."));
        }
    }

    void gap(const GameType& type, const std::vector<const KeyAt*>& slots, qsizetype last) {
        const auto filled = [&](qsizetype k) {
            const KeyAt* key = slots[static_cast<std::size_t>(k)];
            return key && !key->value.isEmpty();
        };
        qsizetype k = 0;
        while (k < last && filled(k)) {
            ++k;
        }
        if (k >= last) {
            return;
        }
        qsizetype after = 0;
        qsizetype nextLine = 0;
        for (qsizetype j = last; j > k; --j) {
            if (filled(j)) {
                ++after;
                nextLine = slots[static_cast<std::size_t>(j)]->line;
            }
        }
        const KeyAt* empty = slots[static_cast<std::size_t>(k)];
        Finding& found =
            add(finding::kMapListGap, empty ? empty->line : nextLine,
                entryName(type, k) +
                    (empty ? QStringLiteral(" is empty") : QStringLiteral(" is missing")) +
                    QStringLiteral(": the rotation goes back to Maps[0] there, so ") +
                    (after == 1 ? QStringLiteral("the map after it never plays.")
                                : QStringLiteral("the ") + QString::number(after) +
                                      QStringLiteral(" maps after it never play.")) +
                    QStringLiteral(" Move them up to close the gap."));
        found.gameType = &type;
        setFix(found, true, QStringLiteral(" Randomize writes the list without gaps."));
    }

    void twins(const std::vector<QByteArray>& names, const QByteArray& folder) {
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
        add(finding::kPackageCaseTwins, std::nullopt,
            named + QStringLiteral(" in ") + shown(folder) +
                QStringLiteral(" differ only in letter case: which of them the game loads is "
                               "undefined. Delete or rename all but one."),
            platform::joinPath(folder, {first}));
    }

    void voteModSwitch(const QByteArray& file, QByteArrayView bytes, const char* switchKey) {
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
                add(finding::kVoteModOwnsPackages, scan.number(),
                    shown(key->name) +
                        QStringLiteral("=True: the map-vote mod rewrites the ServerPackages "
                                       "entries of the game's configuration on every map "
                                       "change, so edits to them are undone. Set it to False "
                                       "to keep them as you write them."),
                    file);
            }
        }
    }

    const Folders& m_folders;
    QByteArray m_config;
};

}  // namespace

const char* severityName(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        case Severity::Note:
            break;
    }
    return "note";
}

ConfigCheck CheckConfiguration(const Install& install) {
    ConfigCheck check;
    const QString nothing = Checker::nothingCheckedText();
    if (!install.hasConfigFile()) {
        check.failure = noConfigFileMessage(install.gameDir());
        check.failure->text.replace(QStringLiteral("Nothing was changed."), nothing);
        return check;
    }
    const QByteArray& config = install.configFile();
    if (const Result& read = install.configRead(); !read) {
        check.failure = readFailedMessage(config, read, nothing);
        return check;
    }
    const QByteArray& content = install.configContent();
    if (platform::isUtf16Text(content)) {
        check.failure =
            failureMessage(QStringLiteral("Rendix cannot check ") + platform::shownName(config) +
                               QStringLiteral(" because it is stored as UTF-16."),
                           "Unsupported file");
        return check;
    }
    Folders folders;
    if (const std::optional<QByteArray> unlisted = listFolders(install, folders)) {
        check.failure = listFailedMessage(*unlisted, nothing);
        return check;
    }
    Checker checker(install, folders);
    const ConfigKeys keys = readKeys(content);
    checker.serverPackages(keys, content);
    checker.serverActors(keys);
    checker.mapLists(keys);
    checker.startGameMap(keys);
    checker.caseTwins(install);
    if (!checker.voteMods(install, check.failure)) {
        return check;
    }
    checker.running(install);
    checker.backups(install);

    check.findings = std::move(checker.findings);
    const auto rank = [&](const Finding& f) {
        return std::make_tuple(f.file != config, f.file, !f.line, f.line.value_or(0));
    };
    std::stable_sort(check.findings.begin(), check.findings.end(),
                     [&](const Finding& a, const Finding& b) { return rank(a) < rank(b); });
    return check;
}

QByteArray findingLine(const Finding& finding) {
    QByteArray line = finding.file;
    if (finding.line) {
        line += ':' + QByteArray::number(*finding.line);
    }
    return line + ": " + severityName(finding.severity()) + ": " + finding.text.toLocal8Bit() +
           " [" + finding.code() + ']';
}

QByteArray findingCounts(const std::vector<Finding>& findings) {
    std::array<qsizetype, 3> counts{};
    for (const Finding& finding : findings) {
        ++counts[static_cast<std::size_t>(finding.severity())];
    }
    return QByteArray::number(counts[0]) + " errors, " + QByteArray::number(counts[1]) +
           " warnings, " + QByteArray::number(counts[2]) + " notes";
}

bool hasErrors(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& f) { return f.severity() == Severity::Error; });
}

}  // namespace rendix
