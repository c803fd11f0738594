#pragma once

#include <QStyledItemDelegate>

class QListWidget;

namespace rendix {

// Makes a list show every line whole, as names must be seen: nothing is elided, and a
// horizontal scroll bar appears where a line is wider than the list. A list with uniform
// item sizes takes every line's size from its first line, so each line is made as wide as
// the widest: call linesChanged() after filling the list. Installs itself as the list's
// delegate and lives as its child.
class WholeLines : public QStyledItemDelegate {
public:
    explicit WholeLines(QListWidget* list);

    // Measures the widest line again.
    void linesChanged();

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QListWidget* m_list;
    int m_widest = 0;
};

}  // namespace rendix
