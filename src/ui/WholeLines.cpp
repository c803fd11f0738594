#include "ui/WholeLines.h"

#include <QListWidget>

#include <algorithm>

namespace rendix {

WholeLines::WholeLines(QListWidget* list) : QStyledItemDelegate(list), m_list(list) {
    list->setItemDelegate(this);
    list->setTextElideMode(Qt::ElideNone);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void WholeLines::linesChanged() {
    const QFontMetrics metrics = m_list->fontMetrics();
    m_widest = 0;
    for (int row = 0; row < m_list->count(); ++row) {
        m_widest = std::max(m_widest, metrics.horizontalAdvance(m_list->item(row)->text()));
    }
}

QSize WholeLines::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    // The line's own margins and icon, plus the widest text.
    const int own = option.fontMetrics.horizontalAdvance(index.data().toString());
    size.setWidth(std::max(size.width(), size.width() - own + m_widest));
    return size;
}

}  // namespace rendix
