#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "app/ModMain.h"
#include "maintenance/ConfigCheck.h"
#include "platform/Messages.h"
#include "ui/WindowMessages.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace rendix {

// The check window (File > Check Configuration...): the findings of CheckConfiguration, a
// line each with its severity's icon, file name and line, and text; the selected finding in
// full below. Copy puts the selected findings (all, where none is selected) on the clipboard
// as rendix-cli prints them. Where a command fixes the current finding, cmdFix runs it as the
// main window's button does (asking what that asks, reporting in the main window's status
// line) and the window checks again. Modeless; it deletes itself when closed.
class frmCheck : public QWidget {
    Q_OBJECT
public:
    // `mainMessages` is the main window's (its status line shows what a fix did); the
    // window's own boxes come from `messages`. `readSettings` reads the settings file afresh
    // into `state` before a fix runs (false: it could not, and said why), so that a fix never
    // acts on exclusions that rendix-cli or another window has changed meanwhile.
    frmCheck(ModMain& state, Messages& mainMessages, const MessagesFactory& messages,
             std::function<bool(Messages&)> readSettings);
    ~frmCheck() override;

    // Checks anew and lists what it found.
    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void lstFindings_SelectionChanged();
    void cmdFix_Click();
    void cmdCopy_Click();

    const Finding* currentFinding() const;

    ModMain& m_state;
    Messages& m_mainMessages;
    std::function<bool(Messages&)> m_readSettings;
    std::unique_ptr<Messages> m_messages;
    std::vector<Finding> m_findings;
    QLabel* m_lblSummary = nullptr;
    QTreeWidget* m_lstFindings = nullptr;
    QPlainTextEdit* m_txtFinding = nullptr;
    QPushButton* m_cmdFix = nullptr;
};

}  // namespace rendix
