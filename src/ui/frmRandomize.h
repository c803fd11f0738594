#pragma once

#include <QPointer>
#include <QWidget>

#include "app/ExclusionEditor.h"
#include "app/ModMain.h"
#include "ui/WindowMessages.h"

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace rendix {
class WholeLines;
class WindowCoordinator;
}  // namespace rendix

namespace rendix {

// The exclusion editor's window. It shows an ExclusionEditor on the shared state of
// `windows` and passes the user's picks and clicks on to it; the lists on screen are
// redrawn from the editor after every operation. Created anew for each opening (it deletes
// itself when closed) while the main window hides; every way of closing it shows
// `mainWindow` again. Whoever opens it reads the settings file afresh first; choosing
// another game type reads it again, so that the lists shown, and those Apply stores, are
// never older than the file.
class frmRandomize : public QWidget {
    Q_OBJECT
public:
    frmRandomize(WindowCoordinator& windows, QWidget* mainWindow);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void cboGameType_Click(int index);
    // Shows game type `index` from the shared state.
    void showGameType(int index);
    void cmdExcl_Click();
    void cmdExclAll_Click();
    void cmdSelect_Click();
    void cmdSelectAll_Click();
    void cmdExclMatching_Click();
    void cmdApply_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    void createControls();
    // Hands the rows the user has selected in both lists to the editor.
    void takeSelections();
    // Redraws both lists, the counts and cmdApply from the editor. `firstLineOf`, when set,
    // is the list whose first line the operation selected: it scrolls to its top.
    void render(QListWidget* firstLineOf = nullptr);

    WindowCoordinator& m_windows;
    QPointer<QWidget> m_mainWindow;
    std::unique_ptr<Messages> m_messages;
    ExclusionEditor m_editor;

    QComboBox* m_cboGameType = nullptr;
    QListWidget* m_lstSelected = nullptr;
    QListWidget* m_lstExcluded = nullptr;
    WholeLines* m_selectedLines = nullptr;
    WholeLines* m_excludedLines = nullptr;
    QLabel* m_lblSelect = nullptr;
    QLabel* m_lblExclude = nullptr;
    QPushButton* m_cmdApply = nullptr;
    QLineEdit* m_txtPattern = nullptr;
};

}  // namespace rendix
