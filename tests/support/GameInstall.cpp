#include "support/GameInstall.h"

#include <cstdio>
#include <utility>

#include "support/TestFiles.h"

namespace rendix::testing {

namespace {

// The game's own maps, tutorial first. The randomizer and the editor see them only as names.
const char* const kDMMaps[] = {
    "DM-Tutorial.unr",   "DM-Agony.unr",    "DM-Barricade.unr",  "DM-Codex.unr",
    "DM-Conveyor.unr",   "DM-Curse][.unr",  "DM-Deck16][.unr",   "DM-Fetid.unr",
    "DM-Fractal.unr",    "DM-Gothic.unr",   "DM-Grinder.unr",    "DM-HealPod][.unr",
    "DM-HyperBlast.unr", "DM-KGalleon.unr", "DM-Liandri.unr",    "DM-Morbias][.unr",
    "DM-Morpheus.unr",   "DM-Oblivion.unr", "DM-Peak.unr",       "DM-Phobos.unr",
    "DM-Pressure.unr",   "DM-Pyramid.unr",  "DM-Shrapnel][.unr", "DM-Stalwart.unr",
    "DM-StalwartXL.unr", "DM-Tempest.unr",  "DM-Turbine.unr",    "DM-Zeto.unr",
};
const char* const kCTFMaps[] = {
    "CTF-Tutorial.unr",    "CTF-Command.unr",  "CTF-Coret.unr",    "CTF-Dreary.unr",
    "CTF-EternalCave.unr", "CTF-Face.unr",     "CTF-Gauntlet.unr", "CTF-LavaGiant.unr",
    "CTF-Niven.unr",       "CTF-November.unr",
};
const char* const kDOMMaps[] = {
    "DOM-Tutorial.unr",   "DOM-Cinder.unr",   "DOM-Condemned.unr", "DOM-Cryptic.unr",
    "DOM-Gearbolt.unr",   "DOM-Ghardhen.unr", "DOM-Lament.unr",    "DOM-Leadworks.unr",
    "DOM-MetalDream.unr", "DOM-Olden.unr",    "DOM-Sesmar.unr",
};
const char* const kASMaps[] = {
    "AS-Tutorial.unr", "AS-Frigate.unr",    "AS-Guardia.unr",  "AS-HiSpeed.unr",
    "AS-Mazon.unr",    "AS-OceanFloor.unr", "AS-Overlord.unr", "AS-Rook.unr",
};

const char* const kStockInts[] = {
    "Core.int",          "D3DDrv.int",  "Editor.int",      "Engine.int",           "Galaxy.int",
    "GlideDrv.int",      "IpDrv.int",   "IpServer.int",    "MetalDrv.int",         "OpenGLDrv.int",
    "Setup.int",         "SGLDrv.int",  "SoftDrv.int",     "Startup.int",          "UBrowser.int",
    "UMenu.int",         "UnrealI.int", "UnrealShare.int", "UnrealTournament.int", "UTMenu.int",
    "UTServerAdmin.int", "UWeb.int",    "Window.int",      "WinDrv.int",
};

// The packages a fresh install sends to clients. Every one of them gets its .int file, so
// that only the entries made on purpose without one (entriesWithoutInt) are stale.
const char* const kStockPackages[] = {
    "SoundFX", "UWindow",  "Fire",    "IpDrv",         "UWeb",   "UBrowser",
    "UMenu",   "IpServer", "Botpack", "UTServerAdmin", "UTMenu", "UTBrowser",
};

template <size_t N>
std::vector<QByteArray> toNames(const char* const (&names)[N]) {
    return std::vector<QByteArray>(names, names + N);
}

QByteArray numbered(const char* prefix, int number, const char* suffix) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", number);
    return QByteArray(prefix) + digits + suffix;
}

QByteArray customPackage(int index) {
    return numbered("Custom", index + 1, "");
}

QByteArray stalePackage(int index) {
    return numbered("OldMod", index + 1, "");
}

// Collects lines and joins them with the chosen line end, every line terminated.
class IniText {
public:
    explicit IniText(QByteArray lineEnd) : m_lineEnd(std::move(lineEnd)) {}
    IniText& operator<<(const QByteArray& line) {
        m_text += line;
        m_text += m_lineEnd;
        return *this;
    }
    IniText& operator<<(const char* line) { return *this << QByteArray(line); }
    IniText& key(const char* name, const QByteArray& value) {
        return *this << QByteArray(name) + '=' + value;
    }
    qsizetype size() const { return m_text.size(); }
    QByteArray bytes() const { return m_text; }

private:
    QByteArray m_lineEnd;
    QByteArray m_text;
};

void writeHead(IniText& ini) {
    ini << "[URL]"
        << "Protocol=unreal"
        << "ProtocolDescription=Unreal Protocol"
        << "Name=Player"
        << "Map=Index.unr"
        << "LocalMap=CityIntro.unr"
        << "Host="
        << "Portal="
        << "MapExt=unr"
        << "SaveExt=usa"
        << "Port=7777"
        << "Class=Botpack.TMale1"
        << ""
        << "[FirstRun]"
        << "FirstRun=436"
        << ""
        << "[PackageRemap]"
        << "UnrealShare=UnrealI"
        << ""
        << "[Engine.Engine]"
        << "GameRenderDevice=OpenGLDrv.OpenGLRenderDevice"
        << "AudioDevice=Galaxy.GalaxyAudioSubsystem"
        << "NetworkDevice=IpDrv.TcpNetDriver"
        << "DemoRecordingDevice=Engine.DemoRecDriver"
        << "Console=UTMenu.UTConsole"
        << "Language=int"
        << "GameEngine=Engine.GameEngine"
        << "EditorEngine=Editor.EditorEngine"
        << "WindowedRenderDevice=SoftDrv.SoftwareRenderDevice"
        << "RenderDevice=GlideDrv.GlideRenderDevice"
        << "DefaultGame=Botpack.DeathMatchPlus"
        << "DefaultServerGame=Botpack.DeathMatchPlus"
        << "ViewportManager=WinDrv.WindowsClient"
        << "Render=Render.Render"
        << "Input=Engine.Input"
        << "Canvas=Engine.Canvas"
        << "CdPath=D:"
        << ""
        << "[Core.System]"
        << "PurgeCacheDays=30"
        << "SavePath=../Save"
        << "CachePath=../Cache"
        << "CacheExt=.uxx"
        << "Paths=../System/*.u"
        << "Paths=../Maps/*.unr"
        << "Paths=../Textures/*.utx"
        << "Paths=../Sounds/*.uax"
        << "Paths=../Music/*.umx"
        << "; the bonus pack folders, added by hand"
        << "Paths=../BonusPack/Maps/*.unr"
        << "Paths=../BonusPack/Textures/*.utx"
        << "Suppress=DevLoad"
        << "Suppress=DevSave"
        << "Suppress=DevNetTraffic"
        << "Suppress=DevGarbage"
        << "Suppress=DevKill"
        << "Suppress=DevReplace"
        << "Suppress=DevSound"
        << "Suppress=DevCompile"
        << "Suppress=DevBind"
        << "Suppress=DevBsp"
        << "";
}

void writeGameEngine(IniText& ini, const GameInstallOptions& options) {
    ini << "[Engine.GameEngine]"
        << "CacheSizeMegs=16"
        << "UseSound=True"
        << "ServerActors=IpDrv.UdpBeacon"
        << "ServerActors=IpServer.UdpServerQuery"
        << "ServerActors=IpServer.UdpServerUplink MasterServerAddress=master0.example.net "
           "MasterServerPort=27900"
        << "ServerActors=IpServer.UdpServerUplink MasterServerAddress=master1.example.net "
           "MasterServerPort=27900"
        << "ServerActors=UBrowser.UBrowserUplink";
    int index = 0;
    for (const char* package : kStockPackages) {
        ini << QByteArray("ServerPackages=") + package;
        // Hand-edited files carry the odd other key inside the block; it must survive.
        if (++index == 5) {
            ini << "ServerActors=UWeb.WebServer";
        }
    }
    for (int i = 0; i < options.entriesWithoutInt; ++i) {
        ini << "ServerPackages=" + stalePackage(i);
    }
    for (int i = 0; i < (options.customInts + 1) / 2; ++i) {
        ini << "ServerPackages=" + customPackage(i);
    }
    ini << "";
}

void writeClient(IniText& ini) {
    ini << "[WinDrv.WindowsClient]"
        << "WindowedViewportX=640"
        << "WindowedViewportY=480"
        << "WindowedColorBits=16"
        << "FullscreenViewportX=1024"
        << "FullscreenViewportY=768"
        << "FullscreenColorBits=32"
        << "Brightness=0.500000"
        << "MipFactor=1.000000"
        << "UseDirectDraw=True"
        << "UseJoystick=False"
        << "CaptureMouse=True"
        << "StartupFullscreen=True"
        << "CurvedSurfaces=True"
        << "LowDetailTextures=False"
        << "ScreenFlashes=True"
        << "NoLighting=False"
        << "SlowVideoBuffering=True"
        << "DeadZoneXYZ=True"
        << "DeadZoneRUV=False"
        << "InvertVertical=False"
        << "ScaleXYZ=1000.000000"
        << "ScaleRUV=2000.000000"
        << "MinDesiredFrameRate=200.000000"
        << "Decals=True"
        << "NoDynamicLights=False"
        << "SkinDetail=High"
        << "TextureDetail=High"
        << ""
        << "[Engine.Player]"
        << "ConfiguredInternetSpeed=20000"
        << "ConfiguredLanSpeed=20000"
        << ""
        << "[Audio.GenericAudioSubsystem]"
        << "UseFilter=True"
        << "UseSurround=False"
        << "UseStereo=True"
        << "UseCDMusic=False"
        << "UseDigitalMusic=True"
        << "ReverseStereo=False"
        << "OutputRate=44100Hz"
        << "Channels=16"
        << "MusicVolume=160"
        << "SoundVolume=200"
        << "AmbientFactor=0.700000"
        << ""
        << "[IpDrv.TcpNetDriver]"
        << "AllowDownloads=True"
        << "ConnectionTimeout=15.0"
        << "InitialConnectTimeout=500.0"
        << "AckTimeout=1.0"
        << "KeepAliveTime=0.2"
        << "MaxClientRate=20000"
        << "SimLatency=0"
        << "RelevantTimeout=5.0"
        << "SpawnPrioritySeconds=1.0"
        << "ServerTravelPause=4.0"
        << "NetServerMaxTickRate=20"
        << "LanServerMaxTickRate=35"
        << "DownloadManagers=IpDrv.HTTPDownload"
        << "DownloadManagers=Engine.ChannelDownload"
        << ""
        << "[UWeb.WebServer]"
        << "Applications[0]=UTServerAdmin.UTServerAdmin"
        << "ApplicationPaths[0]=/ServerAdmin"
        << "Applications[1]=UTServerAdmin.UTImageServer"
        << "ApplicationPaths[1]=/images"
        << "DefaultApplication=0"
        << "bEnabled=False"
        << "ListenPort=5080"
        << ""
        << "; server settings below were tuned for the LAN"
        << "[Engine.GameInfo]"
        << "bLowGore=False"
        << "bVeryLowGore=False"
        << "bMuteSpectators=False"
        << "bNoCheating=True"
        << "bAllowFOV=False"
        << "AutoAim=0.930000"
        << "GameSpeed=1.000000"
        << "MaxSpectators=2"
        << "AdminPassword="
        << "GamePassword="
        << "MaxPlayers=16"
        << "IPPolicies[0]=ACCEPT,*"
        << "IPPolicies[1]="
        << "ServerLogName=server.log"
        << "bLocalLog=True"
        << "bWorldLog=False"
        << "bBatchLocal=False"
        << "DemoBuild=0"
        << "DemoHasTuts=0"
        << ""
        << "[Engine.GameReplicationInfo]"
        << "ServerName=Another UT Server"
        << "ShortName=UT Server"
        << "AdminName="
        << "AdminEmail="
        << "Region=0"
        << "MOTDLine1="
        << "MOTDLine2="
        << "MOTDLine3="
        << "MOTDLine4="
        << "";
}

void writeGameClasses(IniText& ini) {
    ini << "[Botpack.DeathMatchPlus]"
        << "bNoviceMode=False"
        << "NetWait=10"
        << "RestartWait=15"
        << "bTournament=False"
        << "InitialBots=4"
        << "MinPlayers=2"
        << "FragLimit=30"
        << "TimeLimit=15"
        << "bMultiWeaponStay=True"
        << "bForceRespawn=False"
        << "bUseTranslocator=True"
        << "bChangeLevels=True"
        << "AirControl=0.350000"
        << "MaxCommanders=2"
        << ""
        << "[Botpack.TeamGamePlus]"
        << "bBalanceTeams=True"
        << "bPlayersBalanceTeams=True"
        << "FriendlyFireScale=0.000000"
        << "MaxTeams=2"
        << "GoalTeamScore=30.000000"
        << "MaxTeamSize=16"
        << ""
        << "[Botpack.CTFGame]"
        << "bUseTranslocator=True"
        << "GoalTeamScore=3.000000"
        << "TimeLimit=20"
        << ""
        << "[Botpack.Domination]"
        << "bDumbDown=True"
        << "GoalTeamScore=100.000000"
        << ""
        << "[Botpack.Assault]"
        << "bMultiWeaponStay=True"
        << "Defenses=3"
        << "SavedTime=0.000000"
        << "NumDefenses=0"
        << "CurrentDefender=0"
        << "bDefenseSet=False"
        << "bTiePartOne=False"
        << "GameCode="
        << "Part=1"
        << "";
}

void writeInput(IniText& ini) {
    static const char* const kAliases[][2] = {
        {"Button bFire | Fire", "Fire"},
        {"Button bAltFire | AltFire", "AltFire"},
        {"Axis aBaseY  Speed=+300.0", "MoveForward"},
        {"Axis aBaseY  Speed=-300.0", "MoveBackward"},
        {"Axis aBaseX Speed=-150.0", "TurnLeft"},
        {"Axis aBaseX Speed=+150.0", "TurnRight"},
        {"Axis aStrafe Speed=-300.0", "StrafeLeft"},
        {"Axis aStrafe Speed=+300.0", "StrafeRight"},
        {"Jump | Axis aUp Speed=+300.0", "Jump"},
        {"Button bDuck | Axis aUp Speed=-300.0", "Duck"},
        {"Button bLook", "Look"},
        {"Button bSnapLevel", "CenterView"},
        {"Button bStrafe", "Strafe"},
        {"Button bRun", "Walking"},
        {"ActivateItem", "InventoryActivate"},
        {"NextItem", "InventoryNext"},
    };
    static const char* const kKeys[][2] = {
        {"Tab", "Type"},
        {"Shift", "Walking"},
        {"Ctrl", "Duck"},
        {"Alt", "Strafe"},
        {"Pause", "Pause"},
        {"Escape", "ShowMenu"},
        {"Space", "Jump"},
        {"PageUp", "LookUp"},
        {"PageDown", "LookDown"},
        {"End", "CenterView"},
        {"Left", "TurnLeft"},
        {"Up", "MoveForward"},
        {"Right", "TurnRight"},
        {"Down", "MoveBackward"},
        {"Insert", "FeignDeath"},
        {"Delete", "StrafeLeft"},
        {"0", "SwitchWeapon 10"},
        {"1", "SwitchWeapon 1"},
        {"2", "SwitchWeapon 2"},
        {"3", "SwitchWeapon 3"},
        {"4", "SwitchWeapon 4"},
        {"5", "SwitchWeapon 5"},
        {"6", "SwitchWeapon 6"},
        {"7", "SwitchWeapon 7"},
        {"8", "SwitchWeapon 8"},
        {"9", "SwitchWeapon 9"},
        {"A", "StrafeLeft"},
        {"D", "StrafeRight"},
        {"E", "MoveForward"},
        {"F", "ThrowWeapon"},
        {"G", "GrabFlag"},
        {"S", "MoveBackward"},
        {"T", "Talk"},
        {"W", "MoveForward"},
        {"Y", "TeamTalk"},
        {"Z", "InventoryPrevious"},
        {"LeftMouse", "Fire"},
        {"RightMouse", "AltFire"},
        {"MiddleMouse", "Jump"},
        {"MouseWheelUp", "PrevWeapon"},
        {"MouseWheelDown", "NextWeapon"},
        {"F1", "ViewPlayerNum 0"},
        {"F2", "ViewPlayerNum 1"},
        {"F3", "ViewPlayerNum 2"},
        {"F9", "Shot"},
        {"F10", "Cancel"},
        {"F11", "Brightness"},
        {"F12", "Type"},
        {"GreyStar", "ToggleInventory"},
        {"Enter", "InventoryActivate"},
        {"Backspace", "ToggleScoreboard"},
    };
    ini << "[Engine.Input]";
    int i = 0;
    for (const auto& alias : kAliases) {
        ini << "Aliases[" + QByteArray::number(i++) + "]=(Command=\"" + alias[0] +
                   "\",Alias=" + alias[1] + ')';
    }
    for (const auto& key : kKeys) {
        ini << QByteArray(key[0]) + '=' + key[1];
    }
    ini << "";
}

void writeMapLists(IniText& ini) {
    for (const GameType& type : kGameTypes) {
        ini << QByteArray("[") + type.mapListSection + ']';
        const std::vector<QByteArray> names = stockMapNames(type);
        // The game's shipped lists leave the tutorial out and the last slots empty.
        for (int k = 0; k < 32; ++k) {
            const size_t stock = static_cast<size_t>(k) + 1;
            ini << "Maps[" + QByteArray::number(k) +
                       "]=" + (stock < names.size() ? names[stock] : QByteArray());
        }
        ini << "MapNum=0"
            << "";
    }
    ini << "[UTMenu.UTStartGameCW]"
        << "Map=DM-Deck16][.unr"
        << "GameType=BotPack.DeathMatchPlus"
        << "MutatorList="
        << "bKeepMutators=False"
        << "";
}

void writeBots(IniText& ini) {
    static const char* const kBots[][3] = {
        {"Dominator", "BotPack.TMale2Bot", "Blake"}, {"Cryss", "BotPack.TFemale1Bot", "Cryss"},
        {"Malakai", "BotPack.TMale1Bot", "Malakai"}, {"Visse", "BotPack.TFemale2Bot", "Visse"},
        {"Rankin", "BotPack.TBossBot", "Rankin"},    {"Arkon", "BotPack.TMale2Bot", "Arkon"},
        {"Sarena", "BotPack.TFemale1Bot", "Sarena"}, {"Othello", "BotPack.TMale1Bot", "Othello"},
        {"Kira", "BotPack.TFemale2Bot", "Kira"},     {"Vector", "BotPack.TMale2Bot", "Vector"},
        {"Tamika", "BotPack.TFemale1Bot", "Tamika"}, {"Cilia", "BotPack.TFemale2Bot", "Cilia"},
        {"Gorn", "BotPack.TMale1Bot", "Gorn"},       {"Aryss", "BotPack.TFemale1Bot", "Aryss"},
        {"Xan", "BotPack.TBossBot", "Xan"},          {"Loque", "BotPack.TMale2Bot", "Loque"},
    };
    ini << "[Botpack.ChallengeBotInfo]"
        << "Difficulty=2";
    int i = 0;
    for (const auto& bot : kBots) {
        const QByteArray index = '[' + QByteArray::number(i++) + "]=";
        ini << "BotNames" + index + bot[0] << "BotClasses" + index + bot[1]
            << "BotSkins" + index + bot[2] << "BotFaces" + index + bot[2]
            << "BotSkills" + index + QByteArray::number(i % 4) << "BotAccuracy" + index + "0.5"
            << "CombatStyle" + index + "0.2"
            << "BotJumpy" + index + "0"
            << "BotTeams" + index + QByteArray::number(i % 2);
    }
    ini << "";
}

// Mods add a section each to the file; this stands for them once the stock sections ran out.
void writeModSection(IniText& ini, int number) {
    const QByteArray name = numbered("ModTools", number, "");
    ini << "[" + name + ".ServerConfig]"
        << "bEnabled=True"
        << "MessageOfTheDay=Welcome to " + name << "MaxIdleSeconds=120"
        << "AdminPassword="
        << "LogFile=../Logs/" + name + ".log"
        << "AllowedMutators=Botpack.InstaGibDM"
        << "AllowedMutators=Botpack.LowGrav"
        << "; kept for clients of older versions"
        << "LegacyMode=False"
        << "";
}

}  // namespace

std::vector<QByteArray> stockMapNames(const GameType& type) {
    const QByteArray code(type.code);
    if (code == "DM") {
        return toNames(kDMMaps);
    }
    if (code == "CTF") {
        return toNames(kCTFMaps);
    }
    if (code == "DOM") {
        return toNames(kDOMMaps);
    }
    return toNames(kASMaps);
}

std::vector<QByteArray> stockIntNames() {
    return toNames(kStockInts);
}

QByteArray unrealTournamentIni(const GameInstallOptions& options) {
    IniText ini(options.lineEnd);
    writeHead(ini);
    writeGameEngine(ini, options);
    writeClient(ini);
    writeInput(ini);
    writeGameClasses(ini);
    writeBots(ini);
    writeMapLists(ini);
    for (int number = 1; ini.size() < options.targetIniBytes; ++number) {
        writeModSection(ini, number);
    }
    return ini.bytes();
}

GameInstall makeGameInstall(const QByteArray& root, const GameInstallOptions& options) {
    GameInstall install;
    install.root = root;
    install.system = root + "/System";
    install.maps = root + "/Maps";
    install.ini = install.system + "/UnrealTournament.ini";
    makeFolder(install.system);
    makeFolder(install.maps);

    for (const GameType& type : kGameTypes) {
        if (options.stockMaps) {
            for (const QByteArray& name : stockMapNames(type)) {
                writeBytes(install.maps + '/' + name, QByteArray());
            }
        }
        for (int i = 0; i < options.extraMapsPerType; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "%s-Extra%04d.unr", type.code, i + 1);
            writeBytes(install.maps + '/' + name, QByteArray());
        }
    }

    const QByteArray intContent = "[Public]" + options.lineEnd;
    for (const QByteArray& name : stockIntNames()) {
        writeBytes(install.system + '/' + name, intContent);
    }
    for (const char* package : kStockPackages) {
        writeBytes(install.system + '/' + package + ".int", intContent);
    }
    for (int i = 0; i < options.customInts; ++i) {
        writeBytes(install.system + '/' + customPackage(i) + ".int", intContent);
    }

    writeBytes(install.ini, unrealTournamentIni(options));
    return install;
}

void writeSettingsFor(const QByteArray& programDir, const QByteArray& utDir) {
    const QByteArray text = "[Main]\r\nUTDir=" + utDir +
                            "\r\n\r\n"
                            "[MapExcludes.DM]\r\nDM.Ex[0]=DM-Tutorial.unr\r\n\r\n"
                            "[MapExcludes.CTF]\r\nCTF.Ex[0]=CTF-Tutorial.unr\r\n\r\n"
                            "[MapExcludes.DOM]\r\nDOM.Ex[0]=DOM-Tutorial.unr\r\n\r\n"
                            "[MapExcludes.AS]\r\nAS.Ex[0]=AS-Tutorial.unr\r\n\r\n";
    writeBytes(programDir + "/Rendix.ini", text);
}

}  // namespace rendix::testing
