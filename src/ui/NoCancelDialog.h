#pragma once

#include <QDialog>
#include <QKeyEvent>

namespace rendix {

// A modeless dialog without a Cancel button. QDialog closes on Escape as if one were
// pressed; here Escape does nothing, and only the dialog's own buttons or its close box
// end it.
class NoCancelDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape) {
            event->accept();
            return;
        }
        QDialog::keyPressEvent(event);
    }
};

}  // namespace rendix
