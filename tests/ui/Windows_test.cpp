#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "ui/ShellFixture.h"
#include "ui/frmAbout.h"
#include "ui/frmBrowse.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"

// What all windows have in common: controls with their captions, kinds and tab order, that
// fit and do not overlap, and a screenshot of each.
namespace rendix::testing {
namespace {

// Shows one of the program's windows as the user brings it up.
QWidget* open(Shell& shell, const QString& name) {
    WindowCoordinator& windows = *shell.windows;
    if (name == QLatin1String("frmOptions")) {
        return windows.showOptions();
    } else if (name == QLatin1String("frmBrowse")) {
        return windows.showPicker();
    } else if (name == QLatin1String("frmAbout")) {
        return windows.showAbout();
    } else if (name == QLatin1String("frmRandomize")) {
        child<QPushButton>(windows.mainWindow(), "cmdDMExcl")->click();
        return topLevel(QStringLiteral("frmRandomize"));
    }
    return windows.mainWindow();
}

// Whether a control shows the whole of its caption.
bool captionFits(const QWidget* control) {
    const auto* label = qobject_cast<const QLabel*>(control);
    if (label && label->wordWrap()) {
        return label->heightForWidth(label->width()) <= label->height();
    }
    if (qobject_cast<const QPushButton*>(control)) {  // whose size hint has a minimum width
        const QString text = control->property("text").toString().remove(QLatin1Char('&'));
        return control->fontMetrics().horizontalAdvance(text) + 6 <= control->width();
    }
    return !(label || qobject_cast<const QCheckBox*>(control)) ||
           control->sizeHint().width() <= control->width();
}

// A check box paints no border, so the one-pixel overlap of stacked boxes hides nothing.
QRect area(const QWidget* control) {
    return control->geometry().adjusted(0, 0, 0, qobject_cast<const QCheckBox*>(control) ? -1 : 0);
}

// Every named control of a window as "window|name|kind|caption|tab index|tooltip", where
// the caption is a text, a title or a shown item, and -1 means Tab never reaches it.
QString describe(QWidget* window) {
    QStringList order;
    for (QWidget* widget = window->nextInFocusChain(); widget != window;
         widget = widget->nextInFocusChain()) {
        if (window->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus)) {
            order << widget->objectName();
        }
    }
    QString out;
    for (const QObject* object : QObjectList{window} + window->findChildren<QObject*>()) {
        const QString name = object->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1Char('_')) ||
            name.startsWith(QLatin1String("qt_"))) {
            continue;
        }
        QString caption = object == window ? window->windowTitle() : QString();
        for (const char* property : {"currentText", "title", "text"}) {
            if (const QVariant value = object->property(property); value.isValid()) {
                caption = value.toString();
            }
        }
        out += QStringList{window->objectName(),
                           name,
                           QLatin1String(object->metaObject()->className()),
                           caption,
                           QString::number(order.indexOf(name)),
                           object->property("toolTip").toString()}
                   .join(QLatin1Char('|')) +
               QLatin1Char('\n');
        const auto* control = qobject_cast<const QWidget*>(object);
        if (!control || control == window || !control->isVisibleTo(window)) {
            continue;
        }
        EXPECT_TRUE(captionFits(control)) << name.toStdString();
        // Within its parent; the status line runs a few pixels past the sides on purpose.
        EXPECT_TRUE(control->parentWidget()->rect().adjusted(-4, 0, 4, 0).contains(area(control)));
        for (const QWidget* other :
             control->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_FALSE(other != control && !other->objectName().isEmpty() &&
                         other->isVisibleTo(window) && area(other).intersects(area(control)))
                << name.toStdString() << " " << other->objectName().toStdString();
        }
    }
    screenshot(window);
    return out;
}

TEST(Windows, ShowEveryControlWithItsCaptionKindAndTabOrder) {
    Shell shell;
    // A long list of DM maps for the editor, one of them not named in UTF-8.
    const QByteArray game = shell.makeGame("Games/ut");
    for (int i = 0; i < 60; ++i) {
        writeBytes(
            game + "/Maps/DM-Community-Map-With-A-Long-Name-" + QByteArray::number(i) + ".unr", {});
    }
    writeBytes(game + "/Maps/DM-\xE9t\xE9.unr", {});
    writeBytes(game + "/Maps/DM-Tutorial.unr", {});
    shell.start(game);
    QString all;
    for (const char* name : {"frmMain", "frmOptions", "frmBrowse", "frmAbout", "frmRandomize"}) {
        QWidget* window = open(shell, QLatin1String(name));
        ASSERT_TRUE(window) << name;
        if (auto* drives = window->findChild<QComboBox*>(QStringLiteral("Drive1"))) {
            drives->setCurrentIndex(0);  // where the tests run must not matter
        }
        all += describe(window);
    }
    all.replace(QFile::decodeName(game).toUpper(), QStringLiteral("%UT%"));
    all.replace(QFile::decodeName(game), QStringLiteral("%UT%"));
    EXPECT_EQ(all.toStdString(), RENDIX_DATA("controls.txt").toStdString());
}

}  // namespace
}  // namespace rendix::testing
