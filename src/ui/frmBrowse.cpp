#include "ui/frmBrowse.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>

#include "ui/ProgramIcon.h"
#include "ui/Twips.h"
#include "ui/WindowCoordinator.h"
#include "ui/frmOptions.h"

namespace rendix {

namespace {

constexpr int kPathRole = Qt::UserRole;

// A path as the list shows it: absolute, clean, no trailing separator but at "/".
QString cleanFolder(const QString& path) {
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    return clean.isEmpty() ? QStringLiteral("/") : clean;
}

}  // namespace

frmBrowse::frmBrowse(WindowCoordinator& windows) : NoCancelDialog(nullptr), m_windows(windows) {
    setObjectName(QStringLiteral("frmBrowse"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Select UT Directory"));
    setWindowIcon(programIcon());
    TwipsLayout layout;

    m_dir1 = new QListWidget(this);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    layout.place(m_dir1, {240, 600, 2415, 2115});

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    layout.place(cmdOK, {1080, 2880, 735, 375});

    m_drive1 = new QComboBox(this);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    m_drive1->addItems(drives());
    layout.place(m_drive1, {240, 120, 2415, 315});

    layout.apply(this, {2865, 3375});
    setTabOrder(m_dir1, cmdOK);
    setTabOrder(cmdOK, m_drive1);
    m_dir1->setFocus();

    // Both lists start where the process stands, as the platform's own lists do.
    const QString start = cleanFolder(QDir::currentPath());
    const int drive = m_drive1->findText(QStorageInfo(start).rootPath());
    m_drive1->setCurrentIndex(drive >= 0 ? drive : 0);
    setCurrentPath(start);

    connect(m_drive1, &QComboBox::currentIndexChanged, this, &frmBrowse::Drive1_Change);
    connect(m_dir1, &QListWidget::itemDoubleClicked, this, &frmBrowse::Dir1_DblClick);
    connect(cmdOK, &QPushButton::clicked, this, &frmBrowse::cmdOK_Click);
}

QStringList frmBrowse::drives() {
    QStringList roots{QStringLiteral("/")};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.isReady() && QFileInfo(root).isDir() &&
            !roots.contains(root)) {
            roots.append(root);
        }
    }
    return roots;
}

void frmBrowse::setCurrentPath(const QString& path) {
    m_path = cleanFolder(path);
    m_dir1->clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The folders from the root down to the open one, each indented one step further, then
    // the open folder's subfolders: the shape of the classic directory list.
    QStringList chain;
    for (QDir dir(m_path);;) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp()) {
            break;
        }
    }
    int depth = 0;
    for (const QString& folder : chain) {
        const QString name = depth == 0 ? folder : QFileInfo(folder).fileName();
        auto* item = new QListWidgetItem(openIcon, QString(depth * 2, QLatin1Char(' ')) + name);
        item->setData(kPathRole, folder);
        m_dir1->addItem(item);
        ++depth;
    }
    m_dir1->setCurrentRow(m_dir1->count() - 1);
    const QStringList children =
        QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& child : children) {
        auto* item = new QListWidgetItem(closedIcon, QString(depth * 2, QLatin1Char(' ')) + child);
        item->setData(kPathRole, QDir(m_path).filePath(child));
        m_dir1->addItem(item);
    }
}

void frmBrowse::Drive1_Change() {
    if (m_drive1->currentIndex() < 0) {
        return;
    }
    setCurrentPath(m_drive1->currentText());
}

void frmBrowse::Dir1_DblClick(QListWidgetItem* item) {
    setCurrentPath(item->data(kPathRole).toString());
}

void frmBrowse::cmdOK_Click() {
    frmOptions* options = m_windows.loadOptions();
    options->setPath(m_path);
    m_windows.showOptions();
    close();
}

}  // namespace rendix
