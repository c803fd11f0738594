#include "app/SysInfo.h"

#include "app/Version.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"

namespace rendix {

bool GetKeyValue(std::uint32_t KeyRoot, const QByteArray& KeyName, const QByteArray& SubKeyRef,
                 QByteArray& KeyVal) {
    const auto value = platform::queryRegistryValue(KeyRoot, KeyName, SubKeyRef);
    // An empty value has no last character to test for the terminating zero; it counts as
    // a value that could not be read.
    if (!value || value->data.isEmpty()) {
        KeyVal.clear();
        return false;
    }
    QByteArray text = value->data;
    if (text.endsWith('\0')) {
        text.chop(1);
    }
    if (value->type == platform::kRegistryString) {
        KeyVal = text;
    } else if (value->type == platform::kRegistryDword) {
        for (qsizetype i = text.size() - 1; i >= 0; --i) {
            KeyVal += QByteArray::number(static_cast<unsigned char>(text.at(i)), 16).toUpper();
        }
        KeyVal = QByteArrayLiteral("&h") + KeyVal;
    }
    return true;
}

Message sysInfoUnavailableMessage() {
    return {QStringLiteral("System Information Is Unavailable At This Time"),
            QLatin1String(kProgramTitle)};
}

void StartSysInfo(Messages& messages) {
    QByteArray path;
    bool found = GetKeyValue(platform::kHkeyLocalMachine,
                             QByteArrayLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                             QByteArrayLiteral("PATH"), path);
    if (!found) {
        QByteArray folder;
        if (GetKeyValue(platform::kHkeyLocalMachine,
                        QByteArrayLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                        QByteArrayLiteral("MSINFO"), folder)) {
            if (const auto program =
                    platform::lookupFile(platform::joinPath(folder, {"MSINFO32.EXE"}))) {
                path = program->path;
                found = true;
            }
        }
    }
    if (!found || !platform::startProgram(path)) {
        messages.show(sysInfoUnavailableMessage());
    }
}

}  // namespace rendix
