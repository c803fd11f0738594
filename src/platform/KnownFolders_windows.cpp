#include "platform/KnownFolders.h"

#include <QRandomGenerator>

#include <windows.h>

#include <shlobj.h>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Seam.h"
#include "platform/Windows.h"

namespace rendix::platform {

namespace {

// A folder the system keeps for each user (FOLDERID_RoamingAppData, ...); empty where the
// system has none.
QByteArray knownFolder(const KNOWNFOLDERID& id) {
    wchar_t* path = nullptr;
    QByteArray folder;
    if (::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK) {
        folder = fromWide(path);
    }
    ::CoTaskMemFree(path);
    return folder;
}

}  // namespace

namespace os {

QByteArray userConfigFolder() {
    // %APPDATA%\Rendix: the settings follow the user from one computer to the next.
    return joinPath(knownFolder(FOLDERID_RoamingAppData), {"Rendix"});
}

}  // namespace os

QByteArray userDataFolder() {
    if (const TestSeam* seam = TestSeam::active()) {
        if (seam->dataHome()) {
            return *seam->dataHome();
        }
        if (seam->homeFolder()) {
            return joinPath(homeFolder(), {"AppData", "Local"});
        }
    }
    return knownFolder(FOLDERID_LocalAppData);
}

QByteArray expandUserPath(const QByteArray& typed) {
    if (typed == "~") {
        return homeFolder();
    }
    if (typed.startsWith("~/") || typed.startsWith("~\\")) {
        return homeFolder() + separator() + typed.mid(2);
    }
    return typed;
}

bool canCreateFileIn(const QByteArray& dir) {
    const std::optional<QByteArray> resolved = resolvePath(dir);
    if (!resolved || !isDirectory(*resolved)) {
        return false;
    }
    QByteArray name = kProbePrefix.toByteArray();
    for (qsizetype i = 0; i < kTemporaryRandomLength; ++i) {
        name += "abcdefghijklmnopqrstuvwxyz0123456789"[QRandomGenerator::global()->bounded(36)];
    }
    const std::wstring probe = widePath(appendComponent(*resolved, name));
    Handle file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!file.valid()) {
        return false;
    }
    const bool closed = file.close();
    return ::DeleteFileW(probe.c_str()) && closed;
}

}  // namespace rendix::platform
