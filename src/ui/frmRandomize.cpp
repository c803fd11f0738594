#include "ui/frmRandomize.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

#include <tuple>

#include "ui/ProgramIcon.h"
#include "ui/Twips.h"
#include "ui/WholeLines.h"
#include "ui/WindowCoordinator.h"

namespace rendix {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption,
                  Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(align);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    // Neither Enter nor Escape may press a button of this window.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QListWidget* makeList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSortingEnabled(false);  // the editor keeps the order
    list->setUniformItemSizes(true);
    return list;
}

}  // namespace

frmRandomize::frmRandomize(WindowCoordinator& windows, QWidget* mainWindow)
    : QWidget(nullptr),
      m_windows(windows),
      m_mainWindow(mainWindow),
      m_messages(windows.messagesFactory()(this, nullptr)),
      m_editor(windows.state(), *m_messages) {
    setObjectName(QStringLiteral("frmRandomize"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Rendix - Map Exclusions"));
    setWindowIcon(programIcon());
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
    m_lstSelected = makeList(this, "lstSelected");
    auto* cmdExcl = makeButton(this, "cmdExcl", QStringLiteral(">"));
    auto* cmdExclAll = makeButton(this, "cmdExclAll", QStringLiteral(">>"));
    auto* cmdSelect = makeButton(this, "cmdSelect", QStringLiteral("<"));
    auto* cmdSelectAll = makeButton(this, "cmdSelectAll", QStringLiteral("<<"));
    m_lstExcluded = makeList(this, "lstExcluded");
    m_txtPattern = new QLineEdit(this);
    m_txtPattern->setObjectName(QStringLiteral("txtPattern"));
    m_txtPattern->setPlaceholderText(QStringLiteral("Pattern, such as CTF-BT-*"));
    m_txtPattern->setToolTip(QStringLiteral(
        "* stands for any run of characters, ? for one; letter case does not count"));
    auto* cmdExclMatching =
        makeButton(this, "cmdExclMatching", QStringLiteral("Exclude &Matching"));
    m_cmdApply = makeButton(this, "cmdApply", QStringLiteral("&Apply"));
    m_cmdApply->setEnabled(false);
    auto* cmdOK = makeButton(this, "cmdOK", QStringLiteral("&OK"));
    auto* cmdCancel = makeButton(this, "cmdCancel", QStringLiteral("&Cancel"));
    auto* lblGameType =
        makeLabel(this, "lblGameType", QStringLiteral("Game Type"), Qt::AlignCenter);
    auto* lblExcluded = makeLabel(this, "lblExcluded", QStringLiteral("Excluded Maps"));
    auto* lblSelected = makeLabel(this, "lblSelected", QStringLiteral("Selected Maps"));
    m_lblSelect = makeLabel(this, "lblSelect", QString());
    m_lblExclude = makeLabel(this, "lblExclude", QString(), Qt::AlignRight | Qt::AlignVCenter);
    m_selectedLines = new WholeLines(m_lstSelected);
    m_excludedLines = new WholeLines(m_lstExcluded);

    // The two lists share a larger window's room; the controls between and above them stay
    // centred on the gap between them, the ones below keep to the bottom.
    auto* layout = new TwipsLayout(this);
    layout->place(lblGameType, {2775, 120, 825, 195}, {.moveX = 0.5});
    layout->place(m_cboGameType, {1800, 360, 2775, 315}, {.moveX = 0.5});
    layout->place(lblSelected, {1005, 840, 1065, 195}, {.moveX = 0.25});
    layout->place(lblExcluded, {4260, 840, 1095, 195}, {.moveX = 0.75});
    layout->place(m_lstSelected, {120, 1080, 2655, 2790}, {.growX = 0.5, .growY = 1});
    layout->place(m_lstExcluded, {3480, 1080, 2655, 2790},
                  {.moveX = 0.5, .growX = 0.5, .growY = 1});
    // Each pair of move buttons was laid one pixel into each other; the upper one ends a
    // pixel short so that both borders show.
    const Follow between{.moveX = 0.5, .moveY = 0.5};
    layout->place(cmdExcl, {2880, 1560, 495, 360}, between);
    layout->place(cmdExclAll, {2880, 1920, 495, 375}, between);
    layout->place(cmdSelect, {2880, 2640, 495, 360}, between);
    layout->place(cmdSelectAll, {2880, 3000, 495, 375}, between);
    // Below the lists, a pattern for whole families of maps; the rows after it moved down.
    constexpr int below = 480;
    layout->place(m_txtPattern, {120, 3990, 4455, 315}, {.growX = 1, .moveY = 1});
    layout->place(cmdExclMatching, {4680, 3960, 1455, 375}, {.moveX = 1, .moveY = 1});
    layout->place(m_lblSelect, {120, below + 3960, 1935, 255}, {.moveY = 1});
    layout->place(m_cmdApply, {2760, below + 3960, 735, 375}, {.moveX = 0.5, .moveY = 1});
    layout->place(m_lblExclude, {4200, below + 3960, 1935, 255}, {.moveX = 1, .moveY = 1});
    layout->place(cmdOK, {2280, below + 4440, 735, 375}, {.moveX = 0.5, .moveY = 1});
    layout->place(cmdCancel, {3240, below + 4440, 735, 375}, {.moveX = 0.5, .moveY = 1});
    // The count labels are sized for five-digit counts.
    m_lblSelect->setText(QStringLiteral("99999 map(s) selected"));
    m_lblExclude->setText(QStringLiteral("99999 map(s) excluded"));
    layout->apply({6405, below + 4935}, Qt::Horizontal | Qt::Vertical);
    m_lblSelect->clear();
    m_lblExclude->clear();

    const QList<QWidget*> tabOrder{m_cboGameType,   m_lstSelected, cmdExcl,       cmdExclAll,
                                   cmdSelect,       cmdSelectAll,  m_lstExcluded, m_txtPattern,
                                   cmdExclMatching, m_cmdApply,    cmdOK,         cmdCancel};
    for (qsizetype i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    connect(cmdExcl, &QPushButton::clicked, this, &frmRandomize::cmdExcl_Click);
    connect(cmdExclAll, &QPushButton::clicked, this, &frmRandomize::cmdExclAll_Click);
    connect(cmdSelect, &QPushButton::clicked, this, &frmRandomize::cmdSelect_Click);
    connect(cmdSelectAll, &QPushButton::clicked, this, &frmRandomize::cmdSelectAll_Click);
    connect(cmdExclMatching, &QPushButton::clicked, this, &frmRandomize::cmdExclMatching_Click);
    // Enter in the pattern box excludes what it matches; it presses no button of the window.
    connect(m_txtPattern, &QLineEdit::returnPressed, this, &frmRandomize::cmdExclMatching_Click);
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
    showGameType(0);
    connect(m_cboGameType, &QComboBox::currentIndexChanged, this, &frmRandomize::cboGameType_Click);
}

void frmRandomize::cboGameType_Click(int index) {
    if (!m_windows.refreshSettings(*m_messages)) {
        // The type shown stays, with what the user did to it.
        const QSignalBlocker quiet(m_cboGameType);
        m_cboGameType->setCurrentIndex(m_editor.gameType());
        return;
    }
    showGameType(index);
}

void frmRandomize::showGameType(int index) {
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

void frmRandomize::cmdExclMatching_Click() {
    takeSelections();
    const std::vector<EditorLine> before = m_editor.excludedLines();
    m_editor.excludeMatching(QFile::encodeName(m_txtPattern->text()));
    const bool excluded = m_editor.excludedLines() != before;
    render(excluded ? m_lstSelected : nullptr);
    if (excluded) {
        m_txtPattern->clear();
    }
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
    for (const auto& [widget, list, whole] :
         {std::tuple{m_lstSelected, EditorList::Selected, m_selectedLines},
          std::tuple{m_lstExcluded, EditorList::Excluded, m_excludedLines}}) {
        const int scroll = widget->verticalScrollBar()->value();
        const std::vector<EditorLine>& lines = m_editor.lines(list);
        QStringList texts;
        texts.reserve(static_cast<qsizetype>(lines.size()));
        for (const EditorLine& line : lines) {
            // Names that are not valid UTF-8 still show readably; the editor keeps the bytes.
            texts.push_back(lineText(line));
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
        whole->linesChanged();
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
