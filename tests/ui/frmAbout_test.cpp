#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "ui/ProgramIcon.h"
#include "ui/ShellFixture.h"
#include "ui/frmAbout.h"

namespace rendix::testing {
namespace {

struct AboutTest : ShellFixture {
    AboutTest() {
        windows = std::make_unique<WindowCoordinator>(program());
        about = windows->showAbout();
    }
    template <class T = QWidget>
    T* child(const char* name) {
        T* found = about->findChild<T*>(QLatin1String(name));
        EXPECT_TRUE(found) << name;
        return found;
    }
    QPointer<frmAbout> about;
};

TEST_F(AboutTest, ShowsTitleVersionDescriptionAndIcon) {
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About Rendix"));
    const std::vector<std::pair<const char*, QString>> labels{
        {"lblTitle", QStringLiteral("Rendix")},
        {"lblVersion", QStringLiteral("Version 1.0.1")},
        {"lblDescription", QStringLiteral("UnrealTournament.ini Manager")},
    };
    for (const auto& [name, text] : labels) {
        EXPECT_EQ(child<QLabel>(name)->text(), text) << name;
    }
    EXPECT_FALSE(child<QLabel>("lblDisclaimer")->text().isEmpty());
    EXPECT_EQ(child<QLabel>("picIcon")->pixmap().size(), QSize(32, 32));
    EXPECT_FALSE(programIcon().pixmap(32, 32).isNull());
    EXPECT_EQ(child<QPushButton>("cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_TRUE(child<QPushButton>("cmdOK")->isDefault());
    EXPECT_EQ(child<QPushButton>("cmdSysInfo")->text(), QStringLiteral("&System Info..."));
    EXPECT_EQ(focusChain(about, about->focusWidget()), strings({"cmdOK", "cmdSysInfo"}));
    EXPECT_EQ(about->minimumSize(), about->maximumSize());
    EXPECT_FALSE(about->windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    screenshot(about, QStringLiteral("frmAbout"));
}

TEST_F(AboutTest, EnterAndEscapeCloseIt) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        about = windows->showAbout();
        QTest::keyClick(about->focusWidget(), key);
        flushDeletes();
        EXPECT_EQ(about, nullptr) << key;
    }
}

TEST_F(AboutTest, SystemInfoWithoutARegistryEntrySaysSo) {
    child<QPushButton>("cmdSysInfo")->click();
    EXPECT_EQ(
        shown(),
        (std::vector<Message>{{QStringLiteral("System Information Is Unavailable At This Time"),
                               QStringLiteral("Rendix")}}));
    EXPECT_TRUE(seam.startedPrograms().empty());
}

}  // namespace
}  // namespace rendix::testing
