#pragma once

#include "ui/NoCancelDialog.h"

#include <memory>
#include <vector>

#include "app/InstallSearch.h"

#include "app/ModMain.h"
#include "platform/Messages.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace rendix {

class WindowCoordinator;

// The options dialog: asks for the game directory, the configuration file the game reads
// and the number of maps per list, tests them and stores them in the shared state and the
// settings file, then brings back the main window. Opened by the start-up when it needs a
// directory, and at any time from File > Game Directory... It lists the installs found on
// this computer (findInstalls); picking one fills in its directory. Modeless; it has no Cancel
// button, and Escape does nothing. Closing it with its close box just closes it: after a
// start-up that hid the main window, the program then ends unless another window (the
// picker) is still open. It can be made wider; the text boxes grow.
class frmOptions : public NoCancelDialog {
    Q_OBJECT
public:
    frmOptions(ModMain& state, WindowCoordinator& windows);
    ~frmOptions() override;

    // Puts a directory into txtUTPath, as the picker does. Its bytes are kept while the text
    // stays as shown, so a folder whose name is not UTF-8 is stored as it is.
    void setPath(const QByteArray& path);
    Messages& messages() { return *m_messages; }

    // The starting text of txtUTPath while UTDir is empty.
    static QString defaultPath();

private:
    void Form_Load();
    void cmdBrowse_Click();
    void cmdBrowseConfig_Click();
    void cmdOK_Click();
    // Lists the configuration files of the directory now typed, and shows the one in effect
    // there unless the user has picked or typed one.
    void txtUTPath_Change();
    // Puts the install of that row of lstInstalls into the path box, with its configuration
    // file in effect where it knows one.
    void lstInstalls_Click(int row);

    // Checks and stores what the dialog shows; true once all of it is stored. Where the
    // directory has several configuration files and none is named, asks first and confirms
    // again with the answer.
    bool confirm();
    // The texts as paths: the bytes they were filled from while unchanged, else encoded.
    QByteArray typedDirectory() const;
    QByteArray typedConfigFile() const;

    ModMain& m_state;
    WindowCoordinator& m_windows;
    QLineEdit* m_txtUTPath = nullptr;
    QByteArray m_pathBytes;
    QComboBox* m_cboConfigFile = nullptr;
    QByteArray m_configBytes;
    bool m_configPicked = false;
    QSpinBox* m_txtMapsPerList = nullptr;
    QListWidget* m_lstInstalls = nullptr;
    std::vector<FoundInstall> m_installs;
    std::unique_ptr<Messages> m_messages;
};

}  // namespace rendix
