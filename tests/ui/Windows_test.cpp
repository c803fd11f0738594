#include <QLabel>

#include "ui/ShellFixture.h"

// What all windows have in common: controls with their captions, kinds and tab order, that
// fit and do not overlap, and a screenshot of each.
namespace rendix::testing {
namespace {

// Whether a control shows the whole of its caption.
bool captionFits(const QWidget* control) {
    const auto* label = qobject_cast<const QLabel*>(control);
    if (label && label->wordWrap()) {
        return label->heightForWidth(label->width()) <= label->height();
    }
    if (control->inherits("QPushButton")) {  // whose size hint has a minimum width
        const QString text = control->property("text").toString().remove(QLatin1Char('&'));
        return control->fontMetrics().horizontalAdvance(text) + 6 <= control->width();
    }
    return !(label || control->inherits("QCheckBox")) ||
           control->sizeHint().width() <= control->width();
}

// A check box paints no border, so the one-pixel overlap of stacked boxes hides nothing.
QRect area(const QWidget* control) {
    return control->geometry().adjusted(0, 0, 0, control->inherits("QCheckBox") ? -1 : 0);
}

// Every named control of a window as "window|name|kind|caption|tab index|tooltip", where
// the caption is a title, a text or a shown item, and -1 means Tab never reaches it.
QByteArray describe(QWidget* window) {
    QStringList order;
    for (QWidget* widget = window->nextInFocusChain(); widget != window;
         widget = widget->nextInFocusChain()) {
        if (window->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus)) {
            order << widget->objectName();
        }
    }
    QByteArray out;
    for (const QObject* object : QObjectList{window} + window->findChildren<QObject*>()) {
        const QString name = object->objectName();
        QVariant caption = object == window ? window->windowTitle() : QVariant();
        for (const char* property : {"currentText", "title", "text"}) {
            caption = object->property(property).isValid() ? object->property(property) : caption;
        }
        if (!name.isEmpty() && !name.startsWith(QLatin1Char('_')) &&
            !name.startsWith(QLatin1String("qt_"))) {
            out += QStringLiteral("%1|%2|%3|%4|%5|%6\n")
                       .arg(window->objectName(), name,
                            QLatin1String(object->metaObject()->className()), caption.toString(),
                            QString::number(order.indexOf(name)),
                            object->property("toolTip").toString())
                       .toUtf8();
        }
        const auto* control = qobject_cast<const QWidget*>(object);
        if (name.isEmpty() || !control || control == window || !control->isVisibleTo(window)) {
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

// Every window as windows-steps.txt brings it up, the editor with a long list of maps, one
// of them not named in UTF-8.
TEST(Windows, ShowEveryControlWithItsCaptionKindAndTabOrder) {
    Shell shell;
    const QByteArray maps = shell.makeGame("Games/ut") + "/Maps/";
    for (int i = 0; i < 60; ++i) {
        writeBytes(maps + "DM-Community-Map-With-Long-Name-" + QByteArray::number(i) + ".unr", {});
    }
    writeBytes(maps + "DM-\xE9t\xE9.unr", {});
    writeBytes(maps + "DM-Tutorial.unr", {});
    QByteArray table;
    shell.onShown = [&](QWidget* window) {
        if (QObject* drives = window->findChild<QObject*>(QStringLiteral("Drive1"))) {
            drives->setProperty("currentIndex", 0);  // where the tests run must not matter
        }
        table += describe(window);
    };
    shell.start();
    EXPECT_EQ(shell.play("windows-steps.txt").count("\n  shown:"), 5);
    EXPECT_EQ(shell.masked(table).toStdString(), RENDIX_DATA("controls.txt").toStdString());
}

}  // namespace
}  // namespace rendix::testing
