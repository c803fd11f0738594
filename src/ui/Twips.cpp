#include "ui/Twips.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <map>

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
    // A drop-down list says through its size adjust policy whether its entries need room.
    if (qobject_cast<QCheckBox*>(control) || qobject_cast<QComboBox*>(control) ||
        qobject_cast<QAbstractSpinBox*>(control)) {
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
    if (qobject_cast<QLineEdit*>(control)) {
        return {0, control->sizeHint().height()};
    }
    return {};
}

int share(double fraction, int extra) {
    return static_cast<int>(std::lround(fraction * extra));
}

}  // namespace

TwipsLayout::TwipsLayout(QWidget* client) : QObject(client), m_client(client) {}

void TwipsLayout::place(QWidget* control, TwipsRect rect, Follow follow) {
    m_items.push_back({control, rect, follow});
}

void TwipsLayout::apply(QSize clientTwips, Qt::Orientations resizable) {
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
    m_given = {x(clientTwips.width()), y(clientTwips.height())};
    m_client->setMinimumSize(m_given);
    m_client->setMaximumSize(resizable & Qt::Horizontal ? QWIDGETSIZE_MAX : m_given.width(),
                             resizable & Qt::Vertical ? QWIDGETSIZE_MAX : m_given.height());
    m_client->resize(m_given);
    arrange();
    m_client->removeEventFilter(this);
    if (resizable) {
        m_client->installEventFilter(this);
    }
}

bool TwipsLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client && event->type() == QEvent::Resize) {
        arrange();
    }
    return QObject::eventFilter(watched, event);
}

void TwipsLayout::arrange() {
    // How much larger than given each parent is now; a placed control passes its own
    // growth on to the controls inside it.
    std::map<const QWidget*, QSize> growth{{m_client, m_client->size() - m_given}};
    for (const Item& item : m_items) {
        const auto parent = growth.find(item.control->parentWidget());
        const QSize extra = parent == growth.end() ? QSize() : parent->second;
        const Follow& f = item.follow;
        // Edges are rounded, not sizes, so that controls laid edge to edge never overlap.
        const QRect given(QPoint(x(item.rect.left), y(item.rect.top)),
                          QPoint(x(item.rect.left + item.rect.width) - 1,
                                 y(item.rect.top + item.rect.height) - 1));
        const QRect now(given.left() + share(f.moveX, extra.width()),
                        given.top() + share(f.moveY, extra.height()),
                        given.width() + share(f.growX, extra.width()),
                        given.height() + share(f.growY, extra.height()));
        item.control->setGeometry(now);
        growth[item.control] = now.size() - given.size();
    }
}

void widenBy(QWidget* window, int pixels) {
    if (pixels <= 0) {
        return;
    }
    const int room =
        window->screen() ? window->screen()->availableGeometry().width() : window->width() + pixels;
    window->resize(std::max(window->width(), std::min(window->width() + pixels, room)),
                   window->height());
}

}  // namespace rendix
