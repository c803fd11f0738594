#include "platform/Processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include <map>

#include "platform/Windows.h"

namespace rendix::platform::os {

std::vector<QByteArray> programsOfAllProcesses() {
    std::vector<QByteArray> programs;
    const Handle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    if (!snapshot.valid() || !::Process32FirstW(snapshot.get(), &entry)) {
        return programs;
    }
    // Each program's folder as programFolderName names it, so that the folders compare
    // whatever letter case or short name a process was started by.
    std::map<QByteArray, QByteArray> folders;
    std::wstring image(32768, L'\0');
    do {
        const Handle process(
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        DWORD size = static_cast<DWORD>(image.size());
        if (!process.valid() ||
            !::QueryFullProcessImageNameW(process.get(), 0, image.data(), &size)) {
            continue;  // a process of another account, or one that ended meanwhile
        }
        const QByteArray program = fromWide(image.data(), size);
        const QByteArray folder = folderOf(program);
        auto known = folders.find(folder);
        if (known == folders.end()) {
            known = folders.emplace(folder, programFolderName(folder)).first;
        }
        programs.push_back(appendComponent(known->second, lastComponent(program)));
    } while (::Process32NextW(snapshot.get(), &entry));
    return programs;
}

QByteArray programFolderName(const QByteArray& folder) {
    return finalPath(folder).value_or(folder);
}

}  // namespace rendix::platform::os
