#pragma once

#include <QByteArray>

#include <cstdint>

#include "platform/Messages.h"

// Finding the operating system's system information program in the registry, and starting
// it.
namespace rendix {

// How reading a registry value ended.
enum class KeyValueRead {
    Read,      // the value was read into KeyVal
    NotFound,  // the key could not be opened or the value queried
    Empty,     // a value of length zero: its last character, which tells whether it was
               // stored with its terminating zero, cannot be tested, so the read fails
};

// Reads the value `SubKeyRef` of the registry key `KeyName` under `KeyRoot`. A string value
// replaces `KeyVal` (its terminating zero cut); a double word appends the hexadecimal code
// of each of its bytes, last first, and puts "&h" in front; any other type leaves `KeyVal`
// alone. Anything but Read empties `KeyVal`.
KeyValueRead readKeyValue(std::uint32_t KeyRoot, const QByteArray& KeyName,
                          const QByteArray& SubKeyRef, QByteArray& KeyVal);

// readKeyValue as a yes or no: true only when the value was read.
bool GetKeyValue(std::uint32_t KeyRoot, const QByteArray& KeyName, const QByteArray& SubKeyRef,
                 QByteArray& KeyVal);

// Starts the system information program named by the registry: its full path (the first
// value), or, only where that value is not found, its folder holding MSINFO32.EXE (the
// second). Where there is none, a value read is empty, or the program cannot be started,
// shows "System Information Is Unavailable At This Time" titled "Rendix".
void StartSysInfo(Messages& messages);

// "System Information Is Unavailable At This Time", titled "Rendix", OK only, no icon.
Message sysInfoUnavailableMessage();

}  // namespace rendix
