#pragma once

#include "ui/NoCancelDialog.h"

#include <memory>

#include "app/ModMain.h"

class QLineEdit;

namespace rendix {

class WindowCoordinator;
class WindowMessages;

// The options dialog: asks for the game directory, tests it and stores it in UTDir and in
// the settings file, then brings back the main window. Modeless; it has no Cancel button,
// and Escape does nothing. Closing it with its close box just closes it: the program then
// ends unless another window (the picker) is still open, since the main window is hidden.
class frmOptions : public NoCancelDialog {
    Q_OBJECT
public:
    frmOptions(ModMain& state, WindowCoordinator& windows);
    ~frmOptions() override;

    // Puts a directory into txtUTPath, as the picker does.
    void setPath(const QString& path);
    WindowMessages& messages() { return *m_messages; }

    // The starting text of txtUTPath while UTDir is empty.
    static QString defaultPath();

private:
    void Form_Load();
    void cmdBrowse_Click();
    void cmdOK_Click();

    ModMain& m_state;
    WindowCoordinator& m_windows;
    QLineEdit* m_txtUTPath = nullptr;
    std::unique_ptr<WindowMessages> m_messages;
};

}  // namespace rendix
