#include "ui/frmConfigFile.h"

#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <optional>

#include "platform/Paths.h"
#include "ui/ProgramIcon.h"
#include "ui/Twips.h"
#include "ui/WholeLines.h"

namespace rendix {

namespace {

constexpr int kPathRole = Qt::UserRole;

// The file's last change in seconds since the epoch.
std::optional<qint64> lastChange(const QByteArray& path) {
    if (const std::optional<platform::FileTimes> times = platform::fileTimes(path)) {
        return times->modified;
    }
    return std::nullopt;
}

}  // namespace

QString frmConfigFile::entryText(const QByteArray& path) {
    const std::optional<qint64> changed = lastChange(path);
    return QFile::decodeName(path) + QStringLiteral("  (changed ") +
           (changed ? QDateTime::fromSecsSinceEpoch(*changed).toString(
                          QStringLiteral("yyyy-MM-dd HH:mm"))
                    : QStringLiteral("?")) +
           QLatin1Char(')');
}

frmConfigFile::frmConfigFile(const std::vector<QByteArray>& candidates,
                             std::function<bool(const QByteArray&)> chosen)
    : NoCancelDialog(nullptr), m_chosen(std::move(chosen)) {
    setObjectName(QStringLiteral("frmConfigFile"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Rendix - Configuration File"));
    setWindowIcon(programIcon());
    auto* layout = new TwipsLayout(this);

    auto* label = new QLabel(
        QStringLiteral("Unreal Tournament may read any of these files. Choose the one that your "
                       "game or server uses; Rendix will change that one."),
        this);
    label->setObjectName(QStringLiteral("lblConfigFile"));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    layout->place(label, {120, 120, 6960, 480}, {.growX = 1});

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstConfigFile"));
    auto* lines = new WholeLines(m_list);
    layout->place(m_list, {120, 720, 6960, 1440}, {.growX = 1, .growY = 1});

    auto* cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    layout->place(cmdOK, {3112, 2310, 975, 375}, {.moveX = 0.5, .moveY = 1});

    // The files in the order the game looks for them; the most recently changed one, the
    // first of them on a tie, is most likely the one in use.
    int newest = 0;
    std::optional<qint64> newestTime;
    for (const QByteArray& path : candidates) {
        auto* item = new QListWidgetItem(entryText(path), m_list);
        item->setData(kPathRole, path);
        item->setToolTip(item->text());
        const std::optional<qint64> changed = lastChange(path);
        if (changed && (!newestTime || *changed > *newestTime)) {
            newestTime = changed;
            newest = m_list->count() - 1;
        }
    }
    lines->linesChanged();
    m_list->setCurrentRow(newest);

    layout->apply({7200, 2805}, Qt::Horizontal | Qt::Vertical);
    // The paths are what the user decides by: the window opens wide enough for them.
    widenBy(this, m_list->sizeHintForColumn(0) + 2 * m_list->frameWidth() - m_list->width());
    setTabOrder(m_list, cmdOK);
    m_list->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmConfigFile::cmdOK_Click);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &frmConfigFile::cmdOK_Click);
}

void frmConfigFile::cmdOK_Click() {
    const QListWidgetItem* item = m_list->currentItem();
    if (item && m_chosen(item->data(kPathRole).toByteArray())) {
        close();
    }
}

}  // namespace rendix
