#pragma once

#include <QDialog>

#include <memory>

#include "platform/Messages.h"
#include "ui/Twips.h"
#include "ui/WindowMessages.h"

namespace rendix {

// The About box: title, version, description, a disclaimer, the etched rule, OK (both the
// default and the cancel button) and "System Info...". Modeless, without an owner window,
// fixed size; it deletes itself when closed.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(const MessagesFactory& messages);
    ~frmAbout() override;

    Messages& messages() { return *m_messages; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

    TwipsLayout* m_layout;
    std::unique_ptr<Messages> m_messages;
};

}  // namespace rendix
