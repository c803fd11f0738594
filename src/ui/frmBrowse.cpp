#include "ui/frmBrowse.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>

#include "platform/Paths.h"
#include "ui/ProgramIcon.h"
#include "ui/Twips.h"
#include "ui/WholeLines.h"
#include "ui/WindowCoordinator.h"
#include "ui/frmOptions.h"

namespace rendix {

namespace {

constexpr int kPathRole = Qt::UserRole;

// The parts of a path as the list shows it: absolute, without empty parts, "." or "..", and
// its root written with the platform's separator.
platform::PathParts folderParts(const QByteArray& path) {
    const platform::PathParts given = platform::splitPath(
        platform::isAbsolutePath(path)
            ? path
            : platform::joinPath(platform::fromQtFolder(QDir::currentPath()), {path}));
    platform::PathParts parts{given.root, {}};
    std::replace_if(parts.root.begin(), parts.root.end(), platform::isSeparator,
                    platform::separator().front());
    for (const QByteArray& part : given.names) {
        if (part == "..") {
            if (!parts.names.empty()) {
                parts.names.pop_back();
            }
        } else if (part != ".") {
            parts.names.push_back(part);
        }
    }
    return parts;
}

}  // namespace

frmBrowse::frmBrowse(WindowCoordinator& windows) : NoCancelDialog(nullptr), m_windows(windows) {
    setObjectName(QStringLiteral("frmBrowse"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Select UT Directory"));
    setWindowIcon(programIcon());
    auto* layout = new TwipsLayout(this);

    m_dir1 = new QListWidget(this);
    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_lines = new WholeLines(m_dir1);
    layout->place(m_dir1, {240, 600, 2415, 2115}, {.growX = 1, .growY = 1});

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    layout->place(cmdOK, {1080, 2880, 735, 375}, {.moveX = 0.5, .moveY = 1});

    m_drive1 = new QComboBox(this);
    m_drive1->setObjectName(QStringLiteral("Drive1"));
    m_drive1->addItems(drives());
    // A long mount path must not widen the whole window; the open list shows it whole.
    m_drive1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_drive1->setMinimumContentsLength(4);
    layout->place(m_drive1, {240, 120, 2415, 315}, {.growX = 1});

    layout->apply({2865, 3375}, Qt::Horizontal | Qt::Vertical);
    setTabOrder(m_dir1, cmdOK);
    setTabOrder(cmdOK, m_drive1);
    m_dir1->setFocus();

    // Both lists start where the process stands, as the platform's own lists do.
    const QString start = QDir::currentPath();
    const int drive = m_drive1->findText(QDir::toNativeSeparators(QStorageInfo(start).rootPath()));
    m_drive1->setCurrentIndex(drive >= 0 ? drive : 0);
    setCurrentPath(QFile::encodeName(start));

    connect(m_drive1, &QComboBox::currentIndexChanged, this, &frmBrowse::Drive1_Change);
    connect(m_dir1, &QListWidget::itemDoubleClicked, this, &frmBrowse::Dir1_DblClick);
    connect(cmdOK, &QPushButton::clicked, this, &frmBrowse::cmdOK_Click);
}

QStringList frmBrowse::drives() {
    QStringList roots{QDir::toNativeSeparators(QDir::rootPath())};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = QDir::toNativeSeparators(volume.rootPath());
        if (volume.isValid() && volume.isReady() && QFileInfo(root).isDir() &&
            !roots.contains(root)) {
            roots.append(root);
        }
    }
    return roots;
}

void frmBrowse::setCurrentPath(const QByteArray& path) {
    const platform::PathParts parts = folderParts(path);
    m_path = platform::joinParts(parts, parts.names.size());
    m_dir1->clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [&](const QIcon& icon, qsizetype depth, const QByteArray& name,
                         const QByteArray& folder) {
        auto* item = new QListWidgetItem(
            icon, QString(depth * 2, QLatin1Char(' ')) + QFile::decodeName(name), m_dir1);
        item->setData(kPathRole, folder);
        item->setToolTip(QFile::decodeName(folder));
    };

    // The folders from the root down to the open one, each indented one step further, then
    // the open folder's subfolders: the shape of the classic directory list.
    add(openIcon, 0, parts.root, parts.root);
    for (std::size_t depth = 1; depth <= parts.names.size(); ++depth) {
        add(openIcon, static_cast<qsizetype>(depth), parts.names[depth - 1],
            platform::joinParts(parts, depth));
    }
    m_dir1->setCurrentRow(m_dir1->count() - 1);
    // Hidden folders (~/.utpg) and names that are not UTF-8 are listed too.
    const QByteArray prefix = parts.names.empty() ? parts.root : m_path + platform::separator();
    for (const QByteArray& child : platform::listFolders(m_path).names) {
        add(closedIcon, static_cast<qsizetype>(parts.names.size()) + 1, child, prefix + child);
    }
    m_lines->linesChanged();
}

void frmBrowse::Drive1_Change() {
    if (m_drive1->currentIndex() < 0) {
        return;
    }
    setCurrentPath(QFile::encodeName(m_drive1->currentText()));
}

void frmBrowse::Dir1_DblClick(QListWidgetItem* item) {
    setCurrentPath(item->data(kPathRole).toByteArray());
}

void frmBrowse::cmdOK_Click() {
    frmOptions* options = m_windows.loadOptions();
    options->setPath(m_path);
    m_windows.showOptions();
    close();
}

}  // namespace rendix
