#include "support/GameInstall.h"

#include <QFile>

#include "maintenance/GameFiles.h"
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

// Patch 469's Default.ini: the skins (.int in the game's folders, texture packages in
// Textures), the code packages, the skeletal characters and the relics.
const char k469Packages[] =
    "SoldierSkins CommandoSkins FCommandoSkins SGirlSkins BossSkins Botpack MultiMesh "
    "EpicCustomModels TCowMeshSkins TNaliMeshSkins TSkMSkins SkeletalChars Relics";
// The texture packages among them, which lie in Textures; the others are .u files in System.
const char k469Textures[] =
    "SoldierSkins CommandoSkins FCommandoSkins SGirlSkins BossSkins TCowMeshSkins TNaliMeshSkins "
    "TSkMSkins";

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

// The 24 stock .int files with their usual spelling ("Core.int", "Engine.int", ...).
static std::vector<QByteArray> stockIntNames() {
    const QList<QByteArray> names = QByteArray(kStockInts).split(' ');
    return {names.begin(), names.end()};
}

// The ServerPackages= entries of the game's own file: those of patch 469's Default.ini for
// the 469 layouts, the older game's otherwise.
static std::vector<QByteArray> defaultServerPackages(Layout layout) {
    if (layout == Layout::Classic) {
        return templateValues("[Engine.GameEngine]", "ServerPackages=");
    }
    const QList<QByteArray> names = QByteArray(k469Packages).split(' ');
    return {names.begin(), names.end()};
}

QByteArray unrealTournamentIni(const GameInstallOptions& options) {
    QByteArray packages;
    if (options.layout != Layout::Classic) {
        for (const QByteArray& name : defaultServerPackages(options.layout)) {
            packages += "ServerPackages=" + name + '\n';
        }
    }
    for (int i = 1; i <= options.entriesWithoutInt; ++i) {
        packages += "ServerPackages=" + numbered("OldMod", i) + '\n';
    }
    for (int i = 1; i <= (options.customInts + 1) / 2; ++i) {
        packages += "ServerPackages=" + numbered("Custom", i) + '\n';
    }
    QByteArray ini = resource(kIniTemplate);
    if (options.layout != Layout::Classic) {
        for (const QByteArray& name : defaultServerPackages(Layout::Classic)) {
            ini.replace("ServerPackages=" + name + '\n', "");
        }
    }
    ini.replace("{{SERVER_PACKAGES}}\n", packages);
    ini.replace("\n", options.lineEnd);
    // Mods add a section each to the file; these stand for them beyond the stock sections.
    const QByteArray mod = resource("ModSection.ini.template").replace("\n", options.lineEnd);
    for (int number = 1; ini.size() < options.targetIniBytes; ++number) {
        ini += QByteArray(mod).replace("{{NAME}}", numbered("ModTools", number));
    }
    return ini;
}

// The game's own .int and package files, where the layout puts them.
static void writeGameFiles(const GameInstall& install, const GameInstallOptions& options) {
    const QByteArray intFile = "[Public]" + options.lineEnd;
    if (options.layout == Layout::Classic) {
        // Stock ServerPackages entries get their .int file: only the entriesWithoutInt are stale.
        std::vector<QByteArray> ints = stockIntNames();
        for (const QByteArray& package : defaultServerPackages(Layout::Classic)) {
            ints.push_back(package + ".int");
        }
        for (const QByteArray& name : ints) {
            writeBytes(pathIn(install.system, name), intFile);
        }
        for (const QByteArray& package : defaultServerPackages(Layout::Classic)) {
            writeBytes(pathIn(install.system, package + ".u"), QByteArray());
        }
        return;
    }
    // The programs of the 64-bit and ARM builds, where the layout has them.
    writeBytes(pathIn(install.root, "System64/ucc-bin-amd64"), QByteArray());
    if (options.layout == Layout::Patch469d) {
        writeBytes(pathIn(install.root, "SystemARM64/ucc-bin-arm64"), QByteArray());
    }
    const QByteArray intFolder = options.layout == Layout::Patch469b
                                     ? install.system
                                     : pathIn(install.root, "SystemLocalized/int");
    for (const QByteArrayView name : gameFileNames()) {
        const bool isInt = name.endsWith(".int");
        writeBytes(pathIn(isInt ? intFolder : install.system, name),
                   isInt ? intFile : QByteArray());
    }
    for (const QByteArray& name : QByteArray(k469Textures).split(' ')) {
        writeBytes(pathIn(install.root, "Textures/" + name + ".utx"), QByteArray());
    }
    writeBytes(pathIn(install.system, "SkeletalChars.u"), QByteArray());
}

GameInstall makeGameInstall(const QByteArray& root, const GameInstallOptions& options) {
    const bool in64 = options.layout == Layout::Patch469c || options.layout == Layout::Patch469d;
    const GameInstall install{
        root, pathIn(root, "System"), pathIn(root, "Maps"),
        pathIn(root, in64 ? "System64/UnrealTournament.ini" : "System/UnrealTournament.ini")};
    makeFolder(install.maps);
    makeFolder(install.system);
    for (const GameType& type : kGameTypes) {
        auto maps = options.stockMaps ? stockMapNames(type) : std::vector<QByteArray>();
        for (int i = 1; i <= options.extraMapsPerType; ++i) {
            maps.push_back(numbered(type.code + QByteArray("-Extra"), i, 4) + ".unr");
        }
        for (const QByteArray& name : maps) {
            writeBytes(pathIn(install.maps, name), QByteArray());
        }
        for (int i = 1; i <= options.bonusMapsPerType; ++i) {
            writeBytes(pathIn(install.root, "BonusPack/Maps/") +
                           numbered(type.code + QByteArray("-Bonus"), i) + ".unr",
                       QByteArray());
        }
    }
    writeGameFiles(install, options);
    for (int i = 1; i <= options.customInts; ++i) {
        writeBytes(pathIn(install.system, numbered("Custom", i) + ".int"),
                   "[Public]" + options.lineEnd);
        writeBytes(pathIn(install.system, numbered("Custom", i) + ".u"), QByteArray());
    }
    writeBytes(install.ini, unrealTournamentIni(options));
    return install;
}

void writeSettingsFor(const QByteArray& programDir, const QByteArray& utDir) {
    const QByteArray text = resource("Rendix.ini.template").replace("{{UTDIR}}", utDir);
    writeBytes(pathIn(programDir, "Rendix.ini"), QByteArray(text).replace("\n", "\r\n"));
}

}  // namespace rendix::testing
