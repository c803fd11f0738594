#include "support/GameInstall.h"

#include <QFile>

#include "support/TestFiles.h"

// A template of tests/support/data with LF line ends, whatever the checkout made of them. A static
// library's resources must be registered by hand, outside any namespace.
static QByteArray resource(const char* name) {
    [[maybe_unused]] static const bool registered = [] {
        Q_INIT_RESOURCE(testsupport);
        return true;
    }();
    QFile file(QLatin1String(":/testsupport/data/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("test fixture: cannot read resource %s", name);
    }
    return file.readAll().replace("\r", "");
}

namespace rendix::testing {

const char kIniTemplate[] = "UnrealTournament.ini.template";
const char kStockInts[] =
    "Core.int D3DDrv.int Editor.int Engine.int Galaxy.int GlideDrv.int IpDrv.int IpServer.int "
    "MetalDrv.int OpenGLDrv.int Setup.int SGLDrv.int SoftDrv.int Startup.int UBrowser.int "
    "UMenu.int UnrealI.int UnrealShare.int UnrealTournament.int UTMenu.int UTServerAdmin.int "
    "UWeb.int Window.int WinDrv.int";

static QByteArray numbered(const QByteArray& prefix, int number, int digits = 3) {
    return prefix + QByteArray::number(number).rightJustified(digits, '0');
}

// The values of the `key` lines in the template's section `header`, empty ones left out.
static std::vector<QByteArray> templateValues(const QByteArray& header, const QByteArray& key) {
    const QByteArray ini = resource(kIniTemplate);
    const qsizetype at = ini.indexOf(header);
    std::vector<QByteArray> values;
    for (const QByteArray& line : ini.mid(at, ini.indexOf("\n\n", at) - at).split('\n')) {
        if (line.startsWith(key) && !line.endsWith('=')) {
            values.push_back(line.mid(line.indexOf('=') + 1));
        }
    }
    return values;
}

// The game's shipped map lists hold all its maps but the tutorial.
std::vector<QByteArray> stockMapNames(const GameType& type) {
    std::vector<QByteArray> names = templateValues('[' + QByteArray(type.mapListSection), "Maps[");
    names.insert(names.begin(), type.tutorialMap);
    return names;
}

std::vector<QByteArray> stockIntNames() {
    const QList<QByteArray> names = QByteArray(kStockInts).split(' ');
    return {names.begin(), names.end()};
}

QByteArray unrealTournamentIni(const GameInstallOptions& options) {
    QByteArray packages;
    for (int i = 1; i <= options.entriesWithoutInt; ++i) {
        packages += "ServerPackages=" + numbered("OldMod", i) + '\n';
    }
    for (int i = 1; i <= (options.customInts + 1) / 2; ++i) {
        packages += "ServerPackages=" + numbered("Custom", i) + '\n';
    }
    QByteArray ini = resource(kIniTemplate).replace("{{SERVER_PACKAGES}}\n", packages);
    ini.replace("\n", options.lineEnd);
    // Mods add a section each to the file; these stand for them beyond the stock sections.
    const QByteArray mod = resource("ModSection.ini.template").replace("\n", options.lineEnd);
    for (int number = 1; ini.size() < options.targetIniBytes; ++number) {
        ini += QByteArray(mod).replace("{{NAME}}", numbered("ModTools", number));
    }
    return ini;
}

GameInstall makeGameInstall(const QByteArray& root, const GameInstallOptions& options) {
    const GameInstall install{root, root + "/System", root + "/Maps",
                              root + "/System/UnrealTournament.ini"};
    makeFolder(install.maps);
    for (const GameType& type : kGameTypes) {
        auto maps = options.stockMaps ? stockMapNames(type) : std::vector<QByteArray>();
        for (int i = 1; i <= options.extraMapsPerType; ++i) {
            maps.push_back(numbered(type.code + QByteArray("-Extra"), i, 4) + ".unr");
        }
        for (const QByteArray& name : maps) {
            writeBytes(install.maps + '/' + name, QByteArray());
        }
    }
    // Stock ServerPackages entries get their .int file: only the entriesWithoutInt are stale.
    std::vector<QByteArray> ints = stockIntNames();
    for (const QByteArray& package : templateValues("[Engine.GameEngine]", "ServerPackages=")) {
        ints.push_back(package + ".int");
    }
    for (int i = 1; i <= options.customInts; ++i) {
        ints.push_back(numbered("Custom", i) + ".int");
    }
    for (const QByteArray& name : ints) {
        writeBytes(install.system + '/' + name, "[Public]" + options.lineEnd);
    }
    writeBytes(install.ini, unrealTournamentIni(options));
    return install;
}

void writeSettingsFor(const QByteArray& programDir, const QByteArray& utDir) {
    const QByteArray text = resource("Rendix.ini.template").replace("{{UTDIR}}", utDir);
    writeBytes(programDir + "/Rendix.ini", QByteArray(text).replace("\n", "\r\n"));
}

}  // namespace rendix::testing
