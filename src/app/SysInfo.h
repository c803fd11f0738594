#pragma once

#include <QByteArray>

#include <cstdint>

#include "platform/Messages.h"

// The About box's way to the operating system's system information program.
namespace rendix {

// Reads the value `SubKeyRef` of the registry key `KeyName` under `KeyRoot`. A string value
// replaces `KeyVal` (its terminating zero cut); a double word appends the hexadecimal code
// of each of its bytes, last first, and puts "&h" in front; any other type leaves `KeyVal`
// alone. Returns false, with `KeyVal` emptied, when the key or value cannot be read or the
// value is empty.
bool GetKeyValue(std::uint32_t KeyRoot, const QByteArray& KeyName, const QByteArray& SubKeyRef,
                 QByteArray& KeyVal);

// Starts the system information program named by the registry (its full path, or its
// folder holding MSINFO32.EXE); where there is none or it cannot be started, shows "System
// Information Is Unavailable At This Time" titled "Rendix".
void StartSysInfo(Messages& messages);

// "System Information Is Unavailable At This Time", titled "Rendix", OK only, no icon.
Message sysInfoUnavailableMessage();

}  // namespace rendix
