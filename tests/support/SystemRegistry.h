#pragma once

#include <QString>
#include <QStringList>

// The system's own registry, for the tests of what reads it on Windows.
namespace rendix::testing {

// A string value of the system's registry that a test sets with reg.exe, as an installer
// would, and that goes again with the object, together with the keys made for it. A test never
// changes a value it did not set itself: where the value is there already, nothing is made
// (existed() says so, and the test skips).
class RegistryValue {
public:
    // `key` as reg.exe names it ("HKLM\SOFTWARE\..."), `name` the value's name.
    RegistryValue(const QString& key, const QString& name);
    ~RegistryValue();
    RegistryValue(const RegistryValue&) = delete;
    RegistryValue& operator=(const RegistryValue&) = delete;

    bool existed() const { return m_existed; }
    // Sets the value (REG_SZ), making its key where it is missing; false on failure.
    bool set(const QString& value);

private:
    QString m_key;
    QString m_name;
    QString m_made;  // the outermost key this object made, removed at the end
    bool m_existed = false;
    bool m_set = false;
};

// Runs the system's reg.exe with `arguments`; true when it succeeded.
bool reg(const QStringList& arguments);

}  // namespace rendix::testing
