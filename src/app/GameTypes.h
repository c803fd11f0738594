#pragma once

#include <QByteArray>

#include <array>

#include "app/ModMain.h"

namespace rendix {

// One of the four kinds of match. Every routine that works per game type reads this table;
// none is written once per type.
struct GameType {
    const char* code;
    const char* checkBoxName;  // the main window's check box of the type
    const char* checkBoxCaption;
    const char* editorCaption;   // in the exclusion editor's list of game types
    const char* mapPattern;      // the type's map files in a map folder
    const char* mapListSection;  // in the game's configuration file
    const char* gameTypeValue;   // GameType of "UTMenu.UTStartGameCW"
    ExclusionList ModMain::*excludes;
    const char* exclusionSection;    // in Rendix.ini
    const char* exclusionKeyPrefix;  // of the keys of the exclusion section
    const char* tutorialMap;
    const char* statusNoun;  // follows the count in the randomizer's status text
    bool clearsStatus;       // whether the randomizer first empties the status line
};

// In the order DM, CTF, DOM, AS: the order of the editor's list, of the start-up's loading
// and of the randomizer's processing.
inline const std::array<GameType, 4> kGameTypes{{
    {.code = "DM",
     .checkBoxName = "chkDM",
     .checkBoxCaption = "Death Match / Team Death Match / Last Man Standing",
     .editorCaption = "DeathMatch/Team DeathMatch/LMS",
     .mapPattern = "dm*.unr",
     .mapListSection = "Botpack.TDMmaplist",
     .gameTypeValue = "BotPack.DeathMatchPlus",
     .excludes = &ModMain::DMExcludes,
     .exclusionSection = "MapExcludes.DM",
     .exclusionKeyPrefix = "DM.Ex[",
     .tutorialMap = "DM-Tutorial.unr",
     .statusNoun = " Deathmatch maps...",
     .clearsStatus = false},
    {.code = "CTF",
     .checkBoxName = "chkCTF",
     .checkBoxCaption = "Capture The Flag",
     .editorCaption = "Capture The Flag",
     .mapPattern = "ctf*.unr",
     .mapListSection = "Botpack.CTFMapList",
     .gameTypeValue = "BotPack.CTFGame",
     .excludes = &ModMain::CTFExcludes,
     .exclusionSection = "MapExcludes.CTF",
     .exclusionKeyPrefix = "CTF.Ex[",
     .tutorialMap = "CTF-Tutorial.unr",
     .statusNoun = " CTF maps...",
     .clearsStatus = true},
    {.code = "DOM",
     .checkBoxName = "chkDOM",
     .checkBoxCaption = "Domination",
     .editorCaption = "Domination",
     .mapPattern = "dom*.unr",
     .mapListSection = "Botpack.DOMmaplist",
     .gameTypeValue = "BotPack.Domination",
     .excludes = &ModMain::DOMExcludes,
     .exclusionSection = "MapExcludes.DOM",
     .exclusionKeyPrefix = "DOM.Ex[",
     .tutorialMap = "DOM-Tutorial.unr",
     .statusNoun = " Domination maps...",
     .clearsStatus = true},
    {.code = "AS",
     .checkBoxName = "chkASS",
     .checkBoxCaption = "Assault",
     .editorCaption = "Assault",
     .mapPattern = "as*.unr",
     .mapListSection = "Botpack.ASMapList",
     .gameTypeValue = "BotPack.Assault",
     .excludes = &ModMain::ASExcludes,
     .exclusionSection = "MapExcludes.AS",
     .exclusionKeyPrefix = "AS.Ex[",
     .tutorialMap = "AS-Tutorial.unr",
     .statusNoun = " Assault maps...",
     .clearsStatus = true},
}};

// The key of exclusion entry i: prefix + i in decimal + "]", as "DM.Ex[0]".
inline QByteArray exclusionKey(const GameType& type, qsizetype index) {
    return QByteArray(type.exclusionKeyPrefix) + QByteArray::number(index) + ']';
}

}  // namespace rendix
