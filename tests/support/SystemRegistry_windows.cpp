#include "support/SystemRegistry.h"

#include <QProcess>

namespace rendix::testing {

bool reg(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("reg.exe"), arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

RegistryValue::RegistryValue(const QString& key, const QString& name) : m_key(key), m_name(name) {
    m_existed = reg({QStringLiteral("query"), key, QStringLiteral("/v"), name});
    // The outermost of the key and its parents that is missing is the one to remove.
    for (QString parent = key; !m_existed && parent.count(QLatin1Char('\\')) > 1;
         parent.truncate(parent.lastIndexOf(QLatin1Char('\\')))) {
        if (reg({QStringLiteral("query"), parent})) {
            break;
        }
        m_made = parent;
    }
}

RegistryValue::~RegistryValue() {
    if (!m_made.isEmpty()) {
        reg({QStringLiteral("delete"), m_made, QStringLiteral("/f")});
    } else if (m_set) {
        reg({QStringLiteral("delete"), m_key, QStringLiteral("/v"), m_name, QStringLiteral("/f")});
    }
}

bool RegistryValue::set(const QString& value) {
    m_set = !m_existed &&
            reg({QStringLiteral("add"), m_key, QStringLiteral("/v"), m_name, QStringLiteral("/t"),
                 QStringLiteral("REG_SZ"), QStringLiteral("/d"), value, QStringLiteral("/f")});
    return m_set;
}

}  // namespace rendix::testing
