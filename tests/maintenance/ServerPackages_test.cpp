#include <gtest/gtest.h>

#include "app/Failures.h"
#include "maintenance/MaintenanceFixture.h"
#include "maintenance/ServerPackages.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"

namespace rendix {
namespace {

using testing::ScriptedMessages;
using testing::SmallInstall;

const QString kNoneRemoved = QStringLiteral("No serverpackages removed...");

struct PackagesCase {
    const char* name;
    QByteArray before;
    std::vector<QByteArray> ints;  // files in the system folder
    QByteArray after;
    QString status;
    // The file between the two rewrites, where both remove and add change it.
    std::optional<QByteArray> afterRemove = std::nullopt;
    bool ownLineEnds = false;  // the texts hold their terminators as they are
};

const QByteArray kEngine =
    "[Engine.GameEngine]\nCacheSizeMegs=4\nServerActors=IpDrv.UdpBeacon\n"
    "ServerPackages=SoldierSkins\nServerPackages=CommandoSkins\nServerPackages=Botpack\n";
const QByteArray kPlayer = "\n[Engine.Player]\nConfiguredInternetSpeed=2600\n";
const std::vector<QByteArray> kPresent{"SoldierSkins.int", "CommandoSkins.int", "Botpack.int",
                                       "Core.int"};

std::vector<QByteArray> present(std::vector<QByteArray> more) {
    more.insert(more.end(), kPresent.begin(), kPresent.end());
    return more;
}

QString status(const char* removed, const char* added) {
    return QString::fromUtf8(removed) + QLatin1Char(' ') + QString::fromUtf8(added);
}

TEST(ServerPackages, UpdateServerPackages) {
    const char* none = "No serverpackages removed...";
    const char* noneAdded = "No serverpackages added.";
    const std::vector<PackagesCase> cases{
        {"entry without .int removed", kEngine + "ServerPackages=Missing\n" + kPlayer, kPresent,
         kEngine + kPlayer, status("Removed 1 serverpackages entries...", noneAdded)},
        {"entry in other case kept, no second entry",
         "[Engine.GameEngine]\nServerPackages=BotPack\n\n",
         {"Botpack.int"},
         "[Engine.GameEngine]\nServerPackages=BotPack\n\n",
         status(none, noneAdded)},
        {"new .INT added in lower case after the last entry", kEngine + kPlayer,
         present({"MyMod.INT"}), kEngine + "ServerPackages=mymod\n" + kPlayer,
         status(none, "Added 1 serverpackages entries.")},
        {"stock files get no entry, a stock entry stays",
         "[Engine.GameEngine]\nServerPackages=Core\n\n",
         {"Core.int", "ENGINE.INT", "UnrealTournament.int", "uweb.int"},
         "[Engine.GameEngine]\nServerPackages=Core\n\n",
         status(none, noneAdded)},
        {"other letter case starts no block",
         "[Other]\nserverpackages=Foo\n" + kEngine + "ServerPackages=Gone\n" + kPlayer, kPresent,
         "[Other]\nserverpackages=Foo\n" + kEngine + kPlayer,
         status("Removed 1 serverpackages entries...", noneAdded)},
        {"second group after the block untouched, not counted",
         kEngine + "\nServerPackages=Gone\nServerPackages=Second\n", present({"Second.int"}),
         kEngine + "ServerPackages=second\n\nServerPackages=Gone\nServerPackages=Second\n",
         status(none, "Added 1 serverpackages entries.")},
        {"other lines inside the block stay",
         "[Engine.GameEngine]\nServerPackages=Gone\nServerActors=IpDrv.UdpBeacon\n"
         "ServerPackages=Botpack\nServerActors=UWeb.WebServer\nServerPackages=Gone2\n\n[X]\n",
         {"Botpack.int", "New.int"},
         "[Engine.GameEngine]\nServerActors=IpDrv.UdpBeacon\nServerPackages=Botpack\n"
         "ServerActors=UWeb.WebServer\nServerPackages=new\n\n[X]\n",
         status("Removed 2 serverpackages entries...", "Added 1 serverpackages entries."),
         "[Engine.GameEngine]\nServerActors=IpDrv.UdpBeacon\nServerPackages=Botpack\n"
         "ServerActors=UWeb.WebServer\n\n[X]\n"},
        {"no block: after the last non-blank line of the section",
         "[URL]\nMap=Index.unr\n\n[engine.gameengine]\nCacheSizeMegs=4\n; note\n  \n\n"
         "[Engine.Player]\n",
         {"MyMod.int"},
         "[URL]\nMap=Index.unr\n\n[engine.gameengine]\nCacheSizeMegs=4\n; note\n"
         "ServerPackages=mymod\n  \n\n[Engine.Player]\n",
         status(none, "Added 1 serverpackages entries.")},
        {"no block, no section: created at the end",
         "[URL]\nMap=Index.unr",
         {"MyMod.int"},
         "[URL]\nMap=Index.unr\n\n[Engine.GameEngine]\nServerPackages=mymod\n",
         status(none, "Added 1 serverpackages entries.")},
        {"no block, empty file: CR LF",
         "",
         {"MyMod.int"},
         "[Engine.GameEngine]\r\nServerPackages=mymod\r\n",
         status(none, "Added 1 serverpackages entries."),
         "",
         true},
        {"block runs to the end of the file",
         "[Engine.GameEngine]\nServerPackages=Gone\nServerPackages=Botpack",
         {"Botpack.int", "MyMod.int"},
         "[Engine.GameEngine]\nServerPackages=Botpack\nServerPackages=mymod\n",
         status("Removed 1 serverpackages entries...", "Added 1 serverpackages entries."),
         "[Engine.GameEngine]\nServerPackages=Botpack"},
        {"every entry removed: new ones where the block was",
         "[E]\nServerPackages=Gone1\nServerPackages=Gone2\n\n[Next]\n",
         {"MyMod.int"},
         "[E]\nServerPackages=mymod\n\n[Next]\n",
         status("Removed 2 serverpackages entries...", "Added 1 serverpackages entries."),
         "[E]\n\n[Next]\n"},
        {"several added in listing order; odd names skipped or merged",
         "[E]\nServerPackages=Botpack\n\n",
         {"zeta.int", "Alpha.INT", "beta.int", "Bad\nName.int", "Tab\tName.int", "Dup.int",
          "DUP.INT", ".Hidden.int", "Botpack.int"},
         "[E]\nServerPackages=Botpack\nServerPackages=alpha\nServerPackages=beta\n"
         "ServerPackages=dup\nServerPackages=zeta\n\n",
         status(none, "Added 4 serverpackages entries.")},
        {"hidden .int counts as missing",
         "[E]\nServerPackages=.Hidden\n\n",
         {".Hidden.int"},
         "[E]\n\n",
         status("Removed 1 serverpackages entries...", noneAdded)},
        {"UTF-8 byte order mark kept",
         "\xEF\xBB\xBF[E]\nServerPackages=Gone\n\n",
         {},
         "\xEF\xBB\xBF[E]\n\n",
         status("Removed 1 serverpackages entries...", noneAdded)},
        {"mixed terminators kept, added lines take the first line's",
         "[E]\nServerPackages=Gone\r\nServerPackages=A\rServerPackages=B\r\n\r\n[F]\n",
         {"A.int", "B.int", "C.int"},
         "[E]\nServerPackages=A\rServerPackages=B\r\nServerPackages=c\n\r\n[F]\n",
         status("Removed 1 serverpackages entries...", "Added 1 serverpackages entries."),
         "[E]\nServerPackages=A\rServerPackages=B\r\n\r\n[F]\n",
         true},
    };
    for (const PackagesCase& c : cases) {
        for (const QByteArray& lineEnd : {QByteArray("\r\n"), QByteArray("\n")}) {
            if (c.ownLineEnds && lineEnd != "\n") {
                continue;
            }
            SCOPED_TRACE(std::string(c.name) + (lineEnd == "\n" ? " (LF)" : " (CR LF)"));
            const auto convert = [&](QByteArray text) {
                return c.ownLineEnds ? text : text.replace("\n", lineEnd);
            };
            SmallInstall install(convert(c.before));
            for (const QByteArray& name : c.ints) {
                install.addSystemFile(name);
            }
            // A user's own files of the names the work files once had stay as they are.
            const bool userFiles = lineEnd == "\r\n";
            if (userFiles) {
                install.addSystemFile("Rendix.txt", "mine\r\n");
                install.addSystemFile("RendixAdd.txt", "my additions");
            }
            ScriptedMessages messages;
            {
                platform::TestSeam seam;
                seam.setLocalTime(testing::kFixedTime);
                ServerPackagesCommand(install.state, messages);
            }
            EXPECT_EQ(testing::readBytes(install.ini), convert(c.after));
            EXPECT_EQ(messages.statusText, c.status);
            EXPECT_TRUE(messages.shown.empty());
            EXPECT_EQ(messages.busyChanges, (std::vector<bool>{true, false}));

            const bool removed = !c.status.startsWith(kNoneRemoved);
            const bool added = c.status.contains(QStringLiteral(" Added "));
            std::vector<QByteArray> backups{convert(c.before)};
            if (added) {
                backups.push_back(c.afterRemove ? convert(*c.afterRemove)
                                  : removed     ? convert(c.after)
                                                : convert(c.before));
            }
            EXPECT_EQ(install.backups(), backups);
            EXPECT_EQ(install.rendixFiles().size(), backups.size());
            EXPECT_EQ(install.state.LastBackup,
                      install.system + '/' + SmallInstall::backupName(int(backups.size())));
            EXPECT_EQ(testing::exists(install.system + "/Rendix.txt"), userFiles);
            EXPECT_EQ(testing::exists(install.system + "/RendixAdd.txt"), userFiles);
            if (userFiles) {
                EXPECT_EQ(testing::readBytes(install.system + "/Rendix.txt"), "mine\r\n");
                EXPECT_EQ(testing::readBytes(install.system + "/RendixAdd.txt"), "my additions");
            }
        }
    }
}

TEST(ServerPackages, SecondRunChangesNothing) {
    SmallInstall install(kEngine + "ServerPackages=Gone\n" + kPlayer);
    for (const QByteArray& name : present({"MyMod.int"})) {
        install.addSystemFile(name);
    }
    ScriptedMessages messages;
    UpdateServerPackages(install.state, messages);
    const QByteArray once = testing::readBytes(install.ini);
    EXPECT_EQ(once, kEngine + "ServerPackages=mymod\n" + kPlayer);
    UpdateServerPackages(install.state, messages);
    EXPECT_EQ(testing::readBytes(install.ini), once);
    EXPECT_EQ(messages.statusText,
              status("No serverpackages removed...", "No serverpackages added."));
}

TEST(ServerPackages, Utf16FileIsNeverChanged) {
    const QByteArray utf16("\xFE\xFF\0[\0E\0]\0\n", 9);
    SmallInstall install(utf16);
    install.addSystemFile("MyMod.int");
    ScriptedMessages messages;
    messages.statusText = QStringLiteral("earlier");
    ServerPackagesCommand(install.state, messages);
    EXPECT_EQ(messages.shown, std::vector<Message>{utf16RefusedMessage(
                                  install.state.UTDir + "/system/UnrealTournament.ini")});
    EXPECT_EQ(messages.statusText, QStringLiteral("earlier"));
    EXPECT_EQ(testing::readBytes(install.ini), utf16);
    EXPECT_TRUE(install.rendixFiles().empty());
}

}  // namespace
}  // namespace rendix
