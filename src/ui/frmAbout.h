#pragma once

#include <QDialog>

#include <memory>

#include "ui/Twips.h"

namespace rendix {

class WindowMessages;

// The About box: title, version, description, a disclaimer, the etched rule, OK (both the
// default and the cancel button) and "System Info...". Modeless, without an owner window,
// fixed size; it deletes itself when closed.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    frmAbout();
    ~frmAbout() override;

    WindowMessages& messages() { return *m_messages; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    TwipsLayout m_layout;
    std::unique_ptr<WindowMessages> m_messages;
};

}  // namespace rendix
