#include "ui/frmRandomize.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

#include "ui/Twips.h"

namespace rendix {

namespace {

QRect twips(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

// The width a caption needs in the window's font. A push button adds its frame and margins.
int neededWidth(const QWidget* widget, const QString& caption, int padding) {
    QString text = caption;
    text.remove(QLatin1Char('&'));
    return widget->fontMetrics().horizontalAdvance(text) + padding;
}

// Places a control at its twips position, grown about its centre where the font (wider
// on Linux than the one the twips were made for) needs more room than the position gives.
void place(QWidget* widget, const QRect& at, int width, int height) {
    QRect rect = at;
    if (width > rect.width()) {
        rect.setLeft(at.left() - (width - at.width()) / 2);
        rect.setWidth(width);
    }
    if (height > rect.height()) {
        rect.setTop(at.top() - (height - at.height()) / 2);
        rect.setHeight(height);
    }
    widget->setGeometry(rect);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, const QRect& at,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(align);
    const QSize hint = label->sizeHint();
    place(label, at, caption.isEmpty() ? 0 : hint.width(), hint.height());
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QRect& at) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    // Neither Enter nor Escape may press a button of this window.
    button->setAutoDefault(false);
    button->setDefault(false);
    place(button, at, neededWidth(button, caption, 14), at.height());
    return button;
}

QListWidget* makeList(QWidget* parent, const char* name, const QRect& at) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSortingEnabled(false);  // the editor keeps the order
    list->setUniformItemSizes(true);
    // Long names keep both ends, where maps differ most; the whole name is its tooltip.
    list->setTextElideMode(Qt::ElideMiddle);
    list->setGeometry(at);
    return list;
}

}  // namespace

frmRandomize::frmRandomize(ModMain& state, QWidget* mainWindow)
    : QWidget(nullptr), m_mainWindow(mainWindow), m_messages(this), m_editor(state, m_messages) {
    setObjectName(QStringLiteral("frmRandomize"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Rendix - Map Exclusions"));
    setFixedSize(twips(0, 0, 6405, 4935).size());
    createControls();
    Form_Load();
}

void frmRandomize::createControls() {
    // Created in tab order, so the focus chain runs as the keyboard user expects.
    m_cboGameType = new QComboBox(this);
    m_cboGameType->setObjectName(QStringLiteral("cboGameType"));
    m_cboGameType->setEditable(false);
    for (const GameType& type : kGameTypes) {
        m_cboGameType->addItem(QString::fromLatin1(type.editorCaption));
    }
    // Wide enough for the longest game type; as tall as its font needs, keeping its top.
    const QRect cboAt = twips(1800, 360, 2775, 315);
    place(m_cboGameType, cboAt, m_cboGameType->sizeHint().width(), 0);
    m_cboGameType->resize(m_cboGameType->width(),
                          std::max(cboAt.height(), m_cboGameType->sizeHint().height()));

    m_lstSelected = makeList(this, "lstSelected", twips(120, 1080, 2655, 2790));
    // Each pair of move buttons was laid one pixel into each other; the upper one ends a
    // pixel short so that both borders show.
    auto* cmdExcl = makeButton(this, "cmdExcl", QStringLiteral(">"), twips(2880, 1560, 495, 360));
    auto* cmdExclAll =
        makeButton(this, "cmdExclAll", QStringLiteral(">>"), twips(2880, 1920, 495, 375));
    auto* cmdSelect =
        makeButton(this, "cmdSelect", QStringLiteral("<"), twips(2880, 2640, 495, 360));
    auto* cmdSelectAll =
        makeButton(this, "cmdSelectAll", QStringLiteral("<<"), twips(2880, 3000, 495, 375));
    m_lstExcluded = makeList(this, "lstExcluded", twips(3480, 1080, 2655, 2790));
    m_cmdApply =
        makeButton(this, "cmdApply", QStringLiteral("&Apply"), twips(2760, 3960, 735, 375));
    m_cmdApply->setEnabled(false);
    auto* cmdOK = makeButton(this, "cmdOK", QStringLiteral("&OK"), twips(2280, 4440, 735, 375));
    auto* cmdCancel =
        makeButton(this, "cmdCancel", QStringLiteral("&Cancel"), twips(3240, 4440, 735, 375));

    makeLabel(this, "lblGameType", QStringLiteral("Game Type"), twips(2775, 120, 825, 195),
              Qt::AlignCenter);
    makeLabel(this, "lblExcluded", QStringLiteral("Excluded Maps"), twips(4260, 840, 1095, 195));
    makeLabel(this, "lblSelected", QStringLiteral("Selected Maps"), twips(1005, 840, 1065, 195));
    m_lblSelect = makeLabel(this, "lblSelect", QString(), twips(120, 3960, 1935, 255));
    m_lblExclude = makeLabel(this, "lblExclude", QString(), twips(4200, 3960, 1935, 255),
                             Qt::AlignRight | Qt::AlignVCenter);

    const QList<QWidget*> tabOrder{m_cboGameType, m_lstSelected, cmdExcl,    cmdExclAll, cmdSelect,
                                   cmdSelectAll,  m_lstExcluded, m_cmdApply, cmdOK,      cmdCancel};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    connect(cmdExcl, &QPushButton::clicked, this, &frmRandomize::cmdExcl_Click);
    connect(cmdExclAll, &QPushButton::clicked, this, &frmRandomize::cmdExclAll_Click);
    connect(cmdSelect, &QPushButton::clicked, this, &frmRandomize::cmdSelect_Click);
    connect(cmdSelectAll, &QPushButton::clicked, this, &frmRandomize::cmdSelectAll_Click);
    connect(m_cmdApply, &QPushButton::clicked, this, &frmRandomize::cmdApply_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmRandomize::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRandomize::cmdCancel_Click);
    // lstSelected_DblClick and lstExcluded_DblClick move what is selected, as the buttons do.
    connect(m_lstSelected, &QListWidget::itemDoubleClicked, this, &frmRandomize::cmdExcl_Click);
    connect(m_lstExcluded, &QListWidget::itemDoubleClicked, this, &frmRandomize::cmdSelect_Click);
}

void frmRandomize::Form_Load() {
    // The four game types were added with the control, in table order.
    m_cboGameType->setCurrentIndex(0);
    cboGameType_Click(0);
    connect(m_cboGameType, &QComboBox::currentIndexChanged, this, &frmRandomize::cboGameType_Click);
}

void frmRandomize::cboGameType_Click(int index) {
    m_editor.fill(index);
    render();
    m_lstSelected->scrollToTop();
    m_lstExcluded->scrollToTop();
}

void frmRandomize::cmdExcl_Click() {
    takeSelections();
    const std::vector<EditorLine> before = m_editor.selectedLines();
    m_editor.exclude();
    render(m_editor.selectedLines() != before ? m_lstSelected : nullptr);
}

void frmRandomize::cmdExclAll_Click() {
    takeSelections();
    m_editor.excludeAll();
    render(m_lstSelected);
}

void frmRandomize::cmdSelect_Click() {
    takeSelections();
    const std::vector<EditorLine> before = m_editor.excludedLines();
    m_editor.include();
    render(m_editor.excludedLines() != before ? m_lstExcluded : nullptr);
}

void frmRandomize::cmdSelectAll_Click() {
    takeSelections();
    m_editor.includeAll();
    render(m_lstExcluded);
}

void frmRandomize::cmdApply_Click() {
    takeSelections();
    m_editor.apply();  // under the wait cursor; a failed write is told in a box
    render();
}

void frmRandomize::cmdOK_Click() {
    // Nothing is stored: only Apply stores.
    if (m_mainWindow) {
        m_mainWindow->show();
    }
    close();
}

void frmRandomize::cmdCancel_Click() {
    cmdOK_Click();
}

void frmRandomize::closeEvent(QCloseEvent* event) {
    // Form_Unload: the main window comes back however the editor is closed.
    if (m_mainWindow) {
        m_mainWindow->show();
    }
    QWidget::closeEvent(event);
}

void frmRandomize::takeSelections() {
    for (const auto& [widget, list] : {std::pair{m_lstSelected, EditorList::Selected},
                                       std::pair{m_lstExcluded, EditorList::Excluded}}) {
        std::vector<int> rows;
        for (int row = 0; row < widget->count(); ++row) {
            if (widget->item(row)->isSelected()) {
                rows.push_back(row);
            }
        }
        m_editor.setSelectedRows(list, rows);
    }
}

void frmRandomize::render(QListWidget* firstLineOf) {
    for (const auto& [widget, list] : {std::pair{m_lstSelected, EditorList::Selected},
                                       std::pair{m_lstExcluded, EditorList::Excluded}}) {
        const int scroll = widget->verticalScrollBar()->value();
        const std::vector<EditorLine>& lines = m_editor.lines(list);
        QStringList texts;
        texts.reserve(static_cast<qsizetype>(lines.size()));
        for (const EditorLine& line : lines) {
            // Names that are not valid UTF-8 still show readably; the editor keeps the bytes.
            texts.push_back(QFile::decodeName(line.name));
        }
        widget->clear();
        widget->addItems(texts);
        for (std::size_t row = 0; row < lines.size(); ++row) {
            QListWidgetItem* item = widget->item(static_cast<int>(row));
            item->setToolTip(item->text());
            if (lines[row].selected) {
                item->setSelected(true);
            }
        }
        widget->verticalScrollBar()->setValue(scroll);
    }
    if (firstLineOf && firstLineOf->count() > 0) {
        firstLineOf->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        firstLineOf->scrollToTop();
    }
    m_lblSelect->setText(m_editor.selectCountText());
    m_lblExclude->setText(m_editor.excludeCountText());
    m_cmdApply->setEnabled(m_editor.applyEnabled());
}

}  // namespace rendix
