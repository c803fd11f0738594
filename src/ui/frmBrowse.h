#pragma once

#include "ui/NoCancelDialog.h"

class QComboBox;
class QListWidget;
class QListWidgetItem;

namespace rendix {

class WindowCoordinator;

// The directory picker: a drive list (the root folder and the mounted volumes), a
// directory list that browses folders, and OK, which hands the folder to the options
// dialog. Modeless, no Cancel button; its close box just closes it.
class frmBrowse : public NoCancelDialog {
    Q_OBJECT
public:
    explicit frmBrowse(WindowCoordinator& windows);

    // The folder open in Dir1: a full path without a trailing separator, except "/".
    QString currentPath() const { return m_path; }
    // Opens a folder in Dir1.
    void setCurrentPath(const QString& path);

    // The entries of the drive list: "/" first, then the root of every mounted volume that
    // is a ready folder, each once.
    static QStringList drives();

private:
    void Drive1_Change();
    void Dir1_DblClick(QListWidgetItem* item);
    void cmdOK_Click();

    WindowCoordinator& m_windows;
    QListWidget* m_dir1 = nullptr;
    QComboBox* m_drive1 = nullptr;
    QString m_path;
};

}  // namespace rendix
