#include <QAbstractButton>
#include <QDateTime>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "ui/ShellFixture.h"

// What all windows have in common: controls with their captions, kinds and tab order, that
// fit and do not overlap at the window's given size and at a larger one, lists that show
// every name whole; message boxes that show their text as it is.
namespace rendix::testing {
namespace {

bool named(const QObject* object) {
    const QString name = object->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1Char('_')) &&
           !name.startsWith(QLatin1String("qt_"));
}

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

// Whether a list shows each line whole: nothing elided, room for the widest line behind
// the horizontal scroll bar, and the line itself in its tooltip.
bool linesWhole(QListWidget* list) {
    list->doItemsLayout();
    const int room = list->horizontalScrollBar()->maximum() + list->viewport()->width();
    bool whole = list->textElideMode() == Qt::ElideNone;
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem* item = list->item(row);
        whole = whole && item->toolTip().endsWith(item->text().trimmed()) &&
                list->fontMetrics().horizontalAdvance(item->text()) <= room;
    }
    return whole;
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
        if (window->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) &&
            named(widget)) {
            order << widget->objectName();
        }
    }
    QByteArray out;
    for (const QObject* object : QObjectList{window} + window->findChildren<QObject*>()) {
        QVariant caption = object == window ? window->windowTitle() : QVariant();
        for (const char* property : {"currentText", "title", "text"}) {
            caption = object->property(property).isValid() ? object->property(property) : caption;
        }
        if (named(object)) {
            out += QStringLiteral("%1|%2|%3|%4|%5|%6\n")
                       .arg(window->objectName(), object->objectName(),
                            QLatin1String(object->metaObject()->className()), caption.toString(),
                            QString::number(order.indexOf(object->objectName())),
                            object->property("toolTip").toString())
                       .toUtf8();
        }
    }
    return out;
}

// Checks that every control fits where it is; `size` names the window's size in failures.
void checkFit(QWidget* window, const QString& size) {
    const std::string at = window->objectName().toStdString() + size.toStdString();
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const std::string name = at + " " + control->objectName().toStdString();
        if (!named(control) || !control->isVisibleTo(window)) {
            continue;
        }
        EXPECT_TRUE(captionFits(control)) << name;
        // Counts of five digits fit as well.
        if (auto* label = qobject_cast<QLabel*>(control);
            label && label->text().contains(QLatin1String("map(s)"))) {
            const QString text = label->text();
            label->setText(QStringLiteral("99999 ") + text.mid(text.indexOf(QLatin1Char(' '))));
            EXPECT_TRUE(captionFits(label)) << name;
            label->setText(text);
        }
        if (auto* list = qobject_cast<QListWidget*>(control)) {
            EXPECT_TRUE(linesWhole(list)) << name;
        }
        // Within its parent; the status line runs a few pixels past the sides on purpose.
        EXPECT_TRUE(control->parentWidget()->rect().adjusted(-4, 0, 4, 0).contains(area(control)))
            << name;
        for (const QWidget* other :
             control->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_FALSE(other != control && named(other) && other->isVisibleTo(window) &&
                         area(other).intersects(area(control)))
                << name << " " << other->objectName().toStdString();
        }
    }
}

// The width of every list and text box of a window, by name.
std::map<QString, int> textWidths(const QWidget* window) {
    std::map<QString, int> widths;
    for (const QWidget* control : window->findChildren<QWidget*>()) {
        if (named(control) &&
            (control->inherits("QListWidget") || control->inherits("QLineEdit") ||
             (control->inherits("QComboBox") && control->property("editable").toBool()))) {
            widths[control->objectName()] = control->width();
        }
    }
    return widths;
}

// Every window as windows-steps.txt brings it up, the editor with a long list of maps, one
// of them not named in UTF-8, the game directory with two configuration files, an install
// found where the patch 469 installer puts it. Each opens
// at its given size with the program's icon; each but the About box can be made larger,
// and then its lists and text boxes grow and everything still fits.
TEST(Windows, ShowEveryControlWithItsCaptionKindAndTabOrder) {
    Shell shell;
    const QByteArray game = shell.makeGame("Games/ut");
    writeBytes(pathIn(game, "System64/UnrealTournament.ini"), "[Engine.Engine]\r\n");
    setModified(pathIn(game, "System64/UnrealTournament.ini"),
                QDateTime(QDate(2024, 1, 1), QTime()).toSecsSinceEpoch());
    for (int i = 0; i < 60; ++i) {
        writeBytes(
            pathIn(game, "Maps/DM-Community-Map-With-Long-Name-" + QByteArray::number(i) + ".unr"),
            {});
    }
    writeBytes(pathIn(game, "Maps/DM-\xE9t\xE9.unr"), {});
    writeBytes(pathIn(game, "Maps/DM-Tutorial.unr"), {});
    shell.registerGame(shell.makeGame("home/.local/share/OldUnreal/UnrealTournament",
                                      "System64/UnrealTournament.ini"));
    QByteArray table;
    shell.onShown = [&](QWidget* window) {
        if (QObject* drives = window->findChild<QObject*>(QStringLiteral("Drive1"))) {
            drives->setProperty("currentIndex", 0);  // where the tests run must not matter
        }
        table += describe(window);
        EXPECT_FALSE(window->windowIcon().isNull()) << window->objectName().toStdString();
        // The main window, the options dialog and the question of the configuration file are
        // made wider for the paths they show.
        const bool showsPaths = window->objectName() == QLatin1String("frmMain") ||
                                window->objectName() == QLatin1String("frmOptions") ||
                                window->objectName() == QLatin1String("frmConfigFile");
        EXPECT_EQ(window->size(), showsPaths ? window->size().expandedTo(window->minimumSize())
                                             : window->minimumSize())
            << window->objectName().toStdString();
        checkFit(window, {});
        const bool fixed = window->maximumSize() == window->minimumSize();
        EXPECT_EQ(fixed, window->objectName() == QLatin1String("frmAbout"))
            << window->objectName().toStdString();
        if (fixed) {
            return;
        }
        const QSize given = window->size();
        const std::map<QString, int> narrow = textWidths(window);
        window->resize(given.width() * 3 / 2, window->maximumHeight() > given.height()
                                                  ? given.height() * 4 / 3
                                                  : given.height());
        QCoreApplication::sendPostedEvents();
        checkFit(window, QStringLiteral("-larger"));
        EXPECT_EQ(describe(window), table.right(describe(window).size()));
        for (const auto& [name, width] : textWidths(window)) {
            EXPECT_GT(width, narrow.at(name)) << name.toStdString();
        }
        window->resize(given);
        QCoreApplication::sendPostedEvents();
    };
    shell.start();
    EXPECT_EQ(shell.play("windows-steps.txt").count("\n  shown:"), 8);
    EXPECT_EQ(shell.masked(table).toStdString(), RENDIX_DATA("controls.txt").toStdString());
}

// A box shows its text as plain text: a file name such as "<b>x</b>" or "<img src=x>"
// is never read as markup. The title, the buttons and the default button are as asked, and
// the button pressed is the answer.
TEST(WindowMessages, ShowsTheBoxAsPlainText) {
    const QString path = QStringLiteral("/games/<b>UT</b>/<img src=x>/UnrealTournament.ini");
    const Message message{path, QStringLiteral("Game <i>running</i>"), MessageButtons::YesNo,
                          MessageAnswer::No, MessageIcon::Critical};
    WindowMessages messages(nullptr);
    QString shown;
    // The box is looked for until it shows: its local event loop may run a timer first.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QMessageBox* box = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* shownBox = qobject_cast<QMessageBox*>(window);
                shownBox && shownBox->isVisible()) {
                box = shownBox;
            }
        }
        if (!box) {
            return;
        }
        poll.stop();
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->windowTitle(), message.title);
        EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()),
                  box->button(QMessageBox::No));
        shown = label->text();
        box->button(QMessageBox::Yes)->click();
    });
    poll.start(5);
    EXPECT_EQ(messages.show(message), MessageAnswer::Yes);
    EXPECT_EQ(shown, path);
}

}  // namespace
}  // namespace rendix::testing
