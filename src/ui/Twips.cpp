#include "ui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

namespace rendix {

namespace {

// The room a control's text needs, or 0 in a direction where it has no say.
QSize neededSize(QWidget* control, int width) {
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        // The style's minimum button width (80 pixels in most styles) is no need of the
        // caption; a small "OK" button may stay small.
        QString text = button->text();
        text.remove(QLatin1Char('&'));
        const QFontMetrics metrics = button->fontMetrics();
        return {metrics.horizontalAdvance(text) + 16, metrics.height() + 8};
    }
    if (qobject_cast<QCheckBox*>(control)) {
        return control->sizeHint();
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        if (label->text().isEmpty()) {
            return {0, label->fontMetrics().height() + 2 * label->frameWidth()};
        }
        if (label->wordWrap()) {
            return {0, label->heightForWidth(width)};
        }
        return label->sizeHint();
    }
    if (qobject_cast<QComboBox*>(control) || qobject_cast<QLineEdit*>(control)) {
        return {0, control->sizeHint().height()};
    }
    return {};
}

}  // namespace

void TwipsLayout::place(QWidget* control, TwipsRect rect) {
    m_items.push_back({control, rect});
}

void TwipsLayout::apply(QWidget* client, QSize clientTwips) {
    m_scaleX = 1.0;
    for (const Item& item : m_items) {
        if (const int width = twipsToPixels(item.rect.width); width > 0) {
            const double needed = neededSize(item.control, width).width();
            m_scaleX = std::max(m_scaleX, needed / width);
        }
    }
    // Heights are measured at the final widths: a wrapped label needs less once it is wider.
    m_scaleY = 1.0;
    for (const Item& item : m_items) {
        if (const int height = twipsToPixels(item.rect.height); height > 0) {
            const double needed = neededSize(item.control, x(item.rect.width)).height();
            m_scaleY = std::max(m_scaleY, needed / height);
        }
    }
    for (const Item& item : m_items) {
        item.control->setGeometry(x(item.rect.left), y(item.rect.top), x(item.rect.width),
                                  y(item.rect.height));
    }
    client->setFixedSize(x(clientTwips.width()), y(clientTwips.height()));
}

}  // namespace rendix
