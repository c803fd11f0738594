#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

#include "app/ModMain.h"
#include "maintenance/Restore.h"
#include "platform/Messages.h"
#include "ui/WindowMessages.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace rendix {

// The restore window (File > Restore Backup...): the backups beside the configuration file
// in effect, newest first, with the time each was made and its size; for the one selected,
// the lines where it differs from the current file as a unified diff; Restore, which asks
// first and then puts the backup back (RestoreBackup), reporting in the main window's status
// line. Modeless; it deletes itself when closed.
class frmRestore : public QWidget {
    Q_OBJECT
public:
    // `mainMessages` is the main window's (its status line shows the result); the window's
    // own boxes come from `messages`.
    frmRestore(ModMain& state, Messages& mainMessages, const MessagesFactory& messages);
    ~frmRestore() override;

    // Lists the backups anew (after a restore, or when the window is shown again).
    void refresh();

private:
    void lstBackups_SelectionChanged();
    void cmdRestore_Click();

    ModMain& m_state;
    Messages& m_mainMessages;
    std::unique_ptr<Messages> m_messages;
    std::vector<BackupInfo> m_backups;
    QLabel* m_lblBackups = nullptr;
    QTreeWidget* m_lstBackups = nullptr;
    QPlainTextEdit* m_txtDiff = nullptr;
    QPushButton* m_cmdRestore = nullptr;
};

}  // namespace rendix
