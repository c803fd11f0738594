#include "cli/Session.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

#include "app/Failures.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "ini/IniHandler.h"
#include "maintenance/Restore.h"
#include "platform/Files.h"
#include "platform/KnownFolders.h"
#include "platform/Paths.h"

namespace rendix::cli {

namespace {

bool fail(Session& session, const QString& text, const char* title) {
    session.messages.show(failureMessage(text, title));
    return false;
}

QByteArray resolvedOr(const QByteArray& path) {
    return platform::resolvePath(path).value_or(path);
}

QString settingsAdvice() {
    return QStringLiteral(
        " Give --game-dir DIR, or start rendix once to choose the game directory.");
}

bool loadSettings(Session& session) {
    ModMain& state = session.state;
    const bool writes = session.changes == Changes::Settings;
    // Without --settings, the file the window uses; only a command that writes it lets the
    // choice make the per-user folder and copy the program folder's file into it.
    QByteArray path = session.options.settings;
    if (path.isEmpty()) {
        const SettingsAccess access = writes && !session.options.print.dryRun
                                          ? SettingsAccess::ReadWrite
                                          : SettingsAccess::ReadOnly;
        path = platform::joinPath(chooseSettingsFolder(access), {kSettingsFileName});
    }
    path = resolvedOr(path);
    state.settingsPath = path;
    const QString shown = platform::shownName(path);

    QByteArray bytes;
    const Result read = platform::readFileChecked(path, bytes);
    if (!read && read.problem != Problem::Missing) {
        session.messages.show(readFailedMessage(path, read.error));
        return false;
    }
    const IniText text(bytes);
    const bool sound = read && settingsFileSound(text);
    if (!sound) {
        const QString problem =
            read
                ? shown +
                      QStringLiteral(" is not a sound Rendix.ini (rendix-cli never overwrites it).")
                : shown + QStringLiteral(" does not exist.");
        if (session.options.gameDir.isEmpty()) {
            return fail(session, problem + settingsAdvice(), "Settings file");
        }
        if (read && writes) {
            return fail(session,
                        problem + QStringLiteral(" Start rendix once, or give --settings FILE."),
                        "Settings file");
        }
        loadDefaultExclusionLists(state);
        return true;
    }
    loadSettings(state, bytes, text);
    session.settingsLoaded = true;
    return true;
}

}  // namespace

const Install& Session::install() {
    const QByteArray key = state.UTDir + '\0' + state.ConfigFile;
    if (!m_install || key != m_installKey) {
        m_install = Install::of(state);
        m_installKey = key;
    }
    return *m_install;
}

void loadSettingsIfAny(Session& session) {
    const QByteArray path =
        resolvedOr(session.options.settings.isEmpty()
                       ? platform::joinPath(chooseSettingsFolder(SettingsAccess::ReadOnly),
                                            {kSettingsFileName})
                       : session.options.settings);
    session.state.settingsPath = path;
    QByteArray bytes;
    if (!platform::readFileChecked(path, bytes)) {
        return;
    }
    const IniText text(bytes);
    if (settingsFileSound(text)) {
        loadSettings(session.state, bytes, text);
        session.settingsLoaded = true;
    }
}

QByteArray absolutePath(const QByteArray& given) {
    QByteArray path = platform::expandUserPath(given);
    if (!platform::isAbsolutePath(path)) {
        path = platform::joinPath(platform::fromQtFolder(QDir::currentPath()), {path});
    }
    while (path.size() > platform::rootLength(path) && platform::isSeparator(path.back())) {
        path.chop(1);
    }
    return path;
}

bool prepare(Session& session) {
    if (!loadSettings(session)) {
        return false;
    }
    ModMain& state = session.state;
    const Options& options = session.options;
    if (!options.gameDir.isEmpty()) {
        // A stored choice of configuration file belongs to the stored game directory.
        if (resolvedOr(state.UTDir) != resolvedOr(options.gameDir)) {
            state.ConfigFile.clear();
        }
        state.UTDir = options.gameDir;
    }
    if (!options.config.isEmpty()) {
        // Never fall back to another file than the one asked for.
        if (!platform::lookupFile(options.config)) {
            return fail(session,
                        platform::shownName(options.config) + QStringLiteral(" not found."),
                        "File Not Found");
        }
        state.ConfigFile = options.config;
    }
    if (options.mapsPerList) {
        state.MapsPerList = *options.mapsPerList;
    }
    if (!isGameDirectory(state.UTDir, state.ConfigFile)) {
        Message invalid = invalidPathMessage(state.UTDir);
        if (invalid == invalidPathMessage()) {  // a folder it could not read names itself
            invalid.text +=
                state.UTDir.isEmpty()
                    ? QStringLiteral(" No game directory is stored in ") +
                          platform::shownName(state.settingsPath) + QLatin1Char('.') +
                          settingsAdvice()
                    : QStringLiteral(" (") + platform::shownName(state.UTDir) + QLatin1Char(')');
        }
        invalid.icon = MessageIcon::Critical;
        session.messages.show(invalid);
        return false;
    }
    if (!session.needsConfigFile) {
        return true;
    }
    const Install& install = session.install();
    if (install.needsChoice()) {
        QStringList files;
        for (const QByteArray& candidate : install.candidates()) {
            files << platform::shownName(candidate);
        }
        return fail(session,
                    platform::shownName(state.UTDir) +
                        QStringLiteral(" has several configuration files: ") +
                        files.join(QStringLiteral(", ")) +
                        QStringLiteral(". Give --config FILE, or choose one in rendix."),
                    "Choose a configuration file");
    }
    if (!install.hasConfigFile()) {
        session.messages.show(noConfigFileMessage(state.UTDir));
        return false;
    }
    return true;
}

std::optional<QByteArray> runOnPrivateCopy(Session& session, PrintingMessages& messages,
                                           QByteArray ModMain::*field, const QByteArray& real,
                                           const std::function<void()>& command) {
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/rendix-cli-XXXXXX"));
    if (!dir.isValid()) {
        messages.show(failureMessage(
            QStringLiteral("Rendix could not make a temporary folder: ") + dir.errorString(),
            "Dry run failed"));
        return std::nullopt;
    }
    const QByteArray copy =
        platform::joinPath(platform::fromQtFolder(dir.path()),
                           {field == &ModMain::ConfigFile ? "UnrealTournament.ini" : "Rendix.ini"});
    if (platform::lookupFile(real)) {
        if (const Result copied = platform::copyFileNew(real, copy); !copied) {
            messages.show(readFailedMessage(real, copied.error));
            return std::nullopt;
        }
    }
    const QByteArray saved = session.state.*field;
    session.state.*field = copy;
    messages.setPathAlias(copy, real);
    command();
    messages.finish();
    messages.setPathAlias({}, {});
    session.state.*field = saved;
    return platform::readFile(copy).value_or(QByteArray());
}

std::vector<QByteArray> listBackups(Session& session) {
    const Install& install = session.install();
    bool listed = true;
    const std::vector<BackupInfo> backups = rendix::listBackups(install, &listed);
    if (!listed) {
        session.messages.show(listFailedMessage(install.configFolder()));
    }
    std::vector<QByteArray> paths;
    for (auto backup = backups.rbegin(); backup != backups.rend(); ++backup) {
        paths.push_back(backup->path);
    }
    return paths;
}

}  // namespace rendix::cli
