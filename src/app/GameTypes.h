#pragma once

#include <QByteArray>

#include <array>

#include "app/ModMain.h"

namespace rendix {

// One of the four kinds of match. Every routine that works per game type reads this table;
// none is written once per type.
struct GameType {
    const char* code;                  // "DM"
    const char* checkBoxName;          // main window check box, "chkDM"
    const char* checkBoxCaption;       // "Death Match / Team Death Match / Last Man Standing"
    const char* editorCaption;         // "DeathMatch/Team DeathMatch/LMS"
    const char* mapPattern;            // in the maps folder: "dm*.unr"
    const char* mapListSection;        // "Botpack.TDMmaplist"
    const char* gameTypeValue;         // "BotPack.DeathMatchPlus"
    ExclusionList ModMain::*excludes;  // &ModMain::DMExcludes
    const char* exclusionSection;      // in Rendix.ini: "MapExcludes.DM"
    const char* exclusionKeyPrefix;    // "DM.Ex["
    const char* tutorialMap;           // "DM-Tutorial.unr"
    const char* statusNoun;            // randomizer status text: " Deathmatch maps..."
    bool clearsStatus;                 // whether the randomizer first empties the status line
};

// In the order DM, CTF, DOM, AS: the order of the editor's list, of the start-up's loading
// and of the randomizer's processing.
inline const std::array<GameType, 4> kGameTypes{{
    {"DM", "chkDM", "Death Match / Team Death Match / Last Man Standing",
     "DeathMatch/Team DeathMatch/LMS", "dm*.unr", "Botpack.TDMmaplist", "BotPack.DeathMatchPlus",
     &ModMain::DMExcludes, "MapExcludes.DM", "DM.Ex[", "DM-Tutorial.unr", " Deathmatch maps...",
     false},
    {"CTF", "chkCTF", "Capture The Flag", "Capture The Flag", "ctf*.unr", "Botpack.CTFMapList",
     "BotPack.CTFGame", &ModMain::CTFExcludes, "MapExcludes.CTF", "CTF.Ex[", "CTF-Tutorial.unr",
     " CTF maps...", true},
    {"DOM", "chkDOM", "Domination", "Domination", "dom*.unr", "Botpack.DOMmaplist",
     "BotPack.Domination", &ModMain::DOMExcludes, "MapExcludes.DOM", "DOM.Ex[", "DOM-Tutorial.unr",
     " Domination maps...", true},
    {"AS", "chkASS", "Assault", "Assault", "as*.unr", "Botpack.ASMapList", "BotPack.Assault",
     &ModMain::ASExcludes, "MapExcludes.AS", "AS.Ex[", "AS-Tutorial.unr", " Assault maps...", true},
}};

// The key of exclusion entry i: prefix + i in decimal + "]", as "DM.Ex[0]".
inline QByteArray exclusionKey(const GameType& type, qsizetype index) {
    return QByteArray(type.exclusionKeyPrefix) + QByteArray::number(index) + ']';
}

}  // namespace rendix
