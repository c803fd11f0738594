#pragma once

#include <QByteArray>

#include <functional>
#include <vector>

#include "ui/NoCancelDialog.h"

class QListWidget;

namespace rendix {

// The question asked once when a game directory holds several configuration files and
// none is chosen: lists each with its last change time, the most recently changed one
// selected, and hands the one picked on. Modeless, no Cancel button; its close box closes
// it without an answer, so the question comes again at the next start.
class frmConfigFile : public NoCancelDialog {
    Q_OBJECT
public:
    // `chosen` gets the file picked when OK is pressed, and the window closes when it
    // returns true (the answer was stored); false keeps it open.
    frmConfigFile(const std::vector<QByteArray>& candidates,
                  std::function<bool(const QByteArray&)> chosen);

    // The entry a file gets: its path and its last change in local time ("?" when the
    // file's time cannot be read).
    static QString entryText(const QByteArray& path);

private:
    void cmdOK_Click();

    QListWidget* m_list = nullptr;
    std::function<bool(const QByteArray&)> m_chosen;
};

}  // namespace rendix
