#include "app/SysInfo.h"

#include "app/Version.h"
#include "platform/Paths.h"
#include "platform/Processes.h"
#include "platform/Registry.h"

namespace rendix {

KeyValueRead readKeyValue(std::uint32_t KeyRoot, const QByteArray& KeyName,
                          const QByteArray& SubKeyRef, QByteArray& KeyVal) {
    const auto value = platform::queryRegistryValue(KeyRoot, KeyName, SubKeyRef);
    if (!value || value->data.isEmpty()) {
        KeyVal.clear();
        return value ? KeyValueRead::Empty : KeyValueRead::NotFound;
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
    return KeyValueRead::Read;
}

bool GetKeyValue(std::uint32_t KeyRoot, const QByteArray& KeyName, const QByteArray& SubKeyRef,
                 QByteArray& KeyVal) {
    return readKeyValue(KeyRoot, KeyName, SubKeyRef, KeyVal) == KeyValueRead::Read;
}

Message sysInfoUnavailableMessage() {
    return {QStringLiteral("System Information Is Unavailable At This Time"),
            QLatin1String(kProgramTitle)};
}

void StartSysInfo(Messages& messages) {
    QByteArray path;
    const KeyValueRead first = readKeyValue(
        platform::kHkeyLocalMachine, QByteArrayLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
        QByteArrayLiteral("PATH"), path);
    bool found = first == KeyValueRead::Read;
    // An empty first value is a failure of this step, not a missing value: the message
    // follows without a look at the second value.
    if (first == KeyValueRead::NotFound) {
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
