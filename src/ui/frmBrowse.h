#pragma once

#include <QByteArray>

#include "ui/NoCancelDialog.h"

class QComboBox;
class QListWidget;
class QListWidgetItem;

namespace rendix {

class WholeLines;
class WindowCoordinator;

// The directory picker: a drive list (the root folder and the mounted volumes; the drives on
// Windows), a directory list that browses folders, hidden ones and ones whose names are not
// UTF-8 included, and OK, which hands the folder to the options dialog. Modeless, no Cancel
// button; its close box just closes it. It can be made larger; the directory list grows.
class frmBrowse : public NoCancelDialog {
    Q_OBJECT
public:
    explicit frmBrowse(WindowCoordinator& windows);

    // The folder open in Dir1: a full path without a trailing separator, except a root's. Bytes,
    // as the folders store their names: shown decoded, handed on as they are.
    QByteArray currentPath() const { return m_path; }
    // Opens a folder in Dir1 (a relative path starts at the current folder).
    void setCurrentPath(const QByteArray& path);

    // The entries of the drive list: the system's root first ("/", or the system drive on
    // Windows), then the root of every mounted volume that is a ready folder, each once.
    static QStringList drives();

private:
    void Drive1_Change();
    void Dir1_DblClick(QListWidgetItem* item);
    void cmdOK_Click();

    WindowCoordinator& m_windows;
    QListWidget* m_dir1 = nullptr;
    WholeLines* m_lines = nullptr;
    QComboBox* m_drive1 = nullptr;
    QByteArray m_path;
};

}  // namespace rendix
