#include "support/ChildProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include <cstdio>
#include <map>
#include <string>

#include "platform/FileLock.h"

namespace rendix::testing {

namespace {

std::map<std::string, ChildAction>& actions() {
    static std::map<std::string, ChildAction> registered;
    return registered;
}

// How long a child may take to start and tell its parent (Wine starts a program slowly).
constexpr int kStartMs = 60000;

const ChildActionRegistration kHoldLock("hold-lock", [](const QStringList& arguments) {
    platform::FileLock lock;
    const Result held =
        lock.acquire(QFile::encodeName(arguments.value(0)), arguments.value(1).toInt());
    tellParent(held ? QByteArray("locked") : held.error.toUtf8());
    waitForParent();
    return 0;
});

const ChildActionRegistration kIdle("idle", [](const QStringList&) {
    tellParent("running");
    waitForParent();
    return 0;
});

}  // namespace

ChildActionRegistration::ChildActionRegistration(const char* name, ChildAction action) {
    actions()[name] = std::move(action);
}

Child::Child(const char* name, const QStringList& arguments, const QString& program) {
    // A copy elsewhere finds the libraries it needs where the test program stands.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"),
                       QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) +
                           QDir::listSeparator() + environment.value(QStringLiteral("PATH")));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program.isEmpty() ? QCoreApplication::applicationFilePath() : program,
                    QStringList{QStringLiteral("--child"), QString::fromUtf8(name)} + arguments);
    while (m_process.state() != QProcess::NotRunning && !m_process.canReadLine() &&
           m_process.waitForReadyRead(kStartMs)) {
    }
    m_line = m_process.readLine().trimmed();
}

Child::~Child() {
    kill();
}

void Child::kill() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(kStartMs);
    }
}

int Child::wait() {
    letGo();
    m_process.waitForFinished(kStartMs);
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

std::unique_ptr<Child> holdLock(const QByteArray& guarded, int timeoutMs) {
    return std::make_unique<Child>(
        "hold-lock", QStringList{QFile::decodeName(guarded), QString::number(timeoutMs)});
}

void tellParent(const QByteArray& line) {
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void waitForParent() {
    while (std::fgetc(stdin) != EOF) {
    }
}

std::optional<int> runChild(const QStringList& arguments) {
    if (arguments.size() < 3 || arguments[1] != QLatin1String("--child")) {
        return std::nullopt;
    }
    const auto action = actions().find(arguments[2].toStdString());
    if (action == actions().end()) {
        std::fprintf(stderr, "no child action %s\n", qPrintable(arguments[2]));
        return 2;
    }
    return action->second(arguments.mid(3));
}

}  // namespace rendix::testing
