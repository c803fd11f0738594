#include "ui/frmCheck.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>

#include <cstring>
#include <utility>

#include "app/Install.h"
#include "maintenance/Backups.h"
#include "maintenance/Randomizer.h"
#include "maintenance/ServerPackages.h"
#include "platform/Paths.h"
#include "ui/ProgramIcon.h"
#include "ui/Twips.h"

namespace rendix {

namespace {

// What a fix says and asks: boxes over the check window, where the user clicked, and the
// status line and pointer of the main window, as when its own button runs the command.
class FixMessages : public Messages {
public:
    FixMessages(Messages& boxes, Messages& main) : m_boxes(boxes), m_main(main) {}
    MessageAnswer show(const Message& message) override { return m_boxes.show(message); }
    QString status() const override { return m_main.status(); }
    void setStatus(const QString& text) override { m_main.setStatus(text); }
    void setBusy(bool busy) override { m_main.setBusy(busy); }

private:
    Messages& m_boxes;
    Messages& m_main;
};

// The caption of cmdFix for the command that fixes a finding: the main window's button's.
QString fixCaption(const Finding* finding) {
    if (!finding || !finding->fix) {
        return QStringLiteral("&Fix");
    }
    if (std::strcmp(finding->fix, kFixServerPackages) == 0) {
        return QStringLiteral("&Add/Remove ServerPackages Entries");
    }
    if (std::strcmp(finding->fix, kFixDeleteBackups) == 0) {
        return QStringLiteral("&Delete Backup Files");
    }
    return QStringLiteral("&Randomize ") + QLatin1String(finding->gameType->code) +
           QStringLiteral(" Map List");
}

QStyle::StandardPixmap severityIcon(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return QStyle::SP_MessageBoxCritical;
        case Severity::Warning:
            return QStyle::SP_MessageBoxWarning;
        case Severity::Note:
            break;
    }
    return QStyle::SP_MessageBoxInformation;
}

QString fileName(const QByteArray& path) {
    const QByteArray separator = platform::separator();
    return QFile::decodeName(path.mid(path.lastIndexOf(separator) + separator.size()));
}

}  // namespace

frmCheck::frmCheck(ModMain& state, Messages& mainMessages, const MessagesFactory& messages,
                   std::function<bool(Messages&)> readSettings)
    : QWidget(nullptr),
      m_state(state),
      m_mainMessages(mainMessages),
      m_readSettings(std::move(readSettings)) {
    setObjectName(QStringLiteral("frmCheck"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Rendix - Check Configuration"));
    setWindowIcon(programIcon());
    auto* layout = new TwipsLayout(this);

    m_lblSummary = new QLabel(this);
    m_lblSummary->setObjectName(QStringLiteral("lblSummary"));
    m_lblSummary->setTextFormat(Qt::PlainText);
    layout->place(m_lblSummary, {120, 120, 10260, 255}, {.growX = 1});

    m_lstFindings = new QTreeWidget(this);
    m_lstFindings->setObjectName(QStringLiteral("lstFindings"));
    m_lstFindings->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Problem")});
    m_lstFindings->setRootIsDecorated(false);
    m_lstFindings->setUniformRowHeights(true);
    m_lstFindings->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lstFindings->header()->setStretchLastSection(true);
    layout->place(m_lstFindings, {120, 480, 10260, 3360}, {.growX = 1, .growY = 0.7});

    m_txtFinding = new QPlainTextEdit(this);
    m_txtFinding->setObjectName(QStringLiteral("txtFinding"));
    m_txtFinding->setReadOnly(true);
    m_txtFinding->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // its lines wrap
    layout->place(m_txtFinding, {120, 3960, 10260, 1320}, {.growX = 1, .moveY = 0.7, .growY = 0.3});

    // Made as wide as its longest caption needs.
    m_cmdFix = new QPushButton(fixCaption(nullptr), this);
    m_cmdFix->setObjectName(QStringLiteral("cmdFix"));
    m_cmdFix->setText(QStringLiteral("&Add/Remove ServerPackages Entries"));
    layout->place(m_cmdFix, {120, 5400, 3255, 375}, {.moveY = 1});

    auto* cmdCopy = new QPushButton(QStringLiteral("&Copy"), this);
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    cmdCopy->setToolTip(QStringLiteral("Copies the selected findings as text"));
    layout->place(cmdCopy, {6675, 5400, 1095, 375}, {.moveX = 1, .moveY = 1});

    auto* cmdRecheck = new QPushButton(QStringLiteral("Check &Again"), this);
    cmdRecheck->setObjectName(QStringLiteral("cmdRecheck"));
    layout->place(cmdRecheck, {7860, 5400, 1335, 375}, {.moveX = 1, .moveY = 1});

    auto* cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    layout->place(cmdClose, {9285, 5400, 1095, 375}, {.moveX = 1, .moveY = 1});

    layout->apply({10500, 5895}, Qt::Horizontal | Qt::Vertical);
    setTabOrder(m_lstFindings, m_txtFinding);
    setTabOrder(m_txtFinding, m_cmdFix);
    setTabOrder(m_cmdFix, cmdCopy);
    setTabOrder(cmdCopy, cmdRecheck);
    setTabOrder(cmdRecheck, cmdClose);

    // Ctrl+C in the list copies as the button does, not just the text of the current cell.
    m_lstFindings->installEventFilter(this);

    m_messages = messages(this, nullptr);
    connect(m_lstFindings, &QTreeWidget::itemSelectionChanged, this,
            &frmCheck::lstFindings_SelectionChanged);
    connect(m_lstFindings, &QTreeWidget::currentItemChanged, this,
            &frmCheck::lstFindings_SelectionChanged);
    connect(m_cmdFix, &QPushButton::clicked, this, &frmCheck::cmdFix_Click);
    connect(cmdCopy, &QPushButton::clicked, this, &frmCheck::cmdCopy_Click);
    connect(cmdRecheck, &QPushButton::clicked, this, &frmCheck::refresh);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    refresh();
}

frmCheck::~frmCheck() = default;

void frmCheck::refresh() {
    const Install install = Install::of(m_state);
    ConfigCheck check = CheckConfiguration(install);
    m_findings = std::move(check.findings);
    if (check.failure) {
        m_lblSummary->setText(check.failure->text);
    } else if (m_findings.empty()) {
        m_lblSummary->setText(QStringLiteral("No problems found."));
    } else {
        const qsizetype count = static_cast<qsizetype>(m_findings.size());
        m_lblSummary->setText(
            QString::number(count) +
            (count == 1 ? QStringLiteral(" problem") : QStringLiteral(" problems")) +
            QStringLiteral(" found in ") + QFile::decodeName(install.configFile()) +
            QStringLiteral(" and the folders it names:"));
    }
    m_lblSummary->setToolTip(m_lblSummary->text());
    // The rows are made anew for the new findings; the old current row means nothing now.
    const QSignalBlocker quiet(m_lstFindings);
    m_lstFindings->clear();
    for (const Finding& finding : m_findings) {
        QString place = fileName(finding.file);
        if (finding.line) {
            place += QLatin1Char(':') + QString::number(*finding.line);
        }
        auto* item = new QTreeWidgetItem(m_lstFindings, {place, finding.text});
        item->setIcon(0, style()->standardIcon(severityIcon(finding.severity())));
        item->setToolTip(0, QFile::decodeName(finding.file));
        item->setToolTip(1, finding.text);
    }
    m_lstFindings->resizeColumnToContents(0);
    if (!m_findings.empty()) {
        m_lstFindings->setCurrentItem(m_lstFindings->topLevelItem(0));
    }
    lstFindings_SelectionChanged();
}

bool frmCheck::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_lstFindings && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        cmdCopy_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

const Finding* frmCheck::currentFinding() const {
    const int row = m_lstFindings->indexOfTopLevelItem(m_lstFindings->currentItem());
    return row < 0 || static_cast<std::size_t>(row) >= m_findings.size()
               ? nullptr
               : &m_findings[static_cast<std::size_t>(row)];
}

void frmCheck::lstFindings_SelectionChanged() {
    const Finding* finding = currentFinding();
    m_cmdFix->setText(fixCaption(finding));
    m_cmdFix->setEnabled(finding && finding->fix);
    if (!finding) {
        m_txtFinding->clear();
        return;
    }
    m_txtFinding->setPlainText(
        QFile::decodeName(finding->file) +
        (finding->line ? QLatin1Char(':') + QString::number(*finding->line) : QString()) +
        QStringLiteral("\n") + QLatin1String(severityName(finding->severity())) +
        QStringLiteral(": ") + finding->text + QStringLiteral(" [") +
        QLatin1String(finding->code()) + QLatin1Char(']'));
}

void frmCheck::cmdFix_Click() {
    const Finding* finding = currentFinding();
    if (!finding || !finding->fix) {
        return;
    }
    FixMessages messages(*m_messages, m_mainMessages);
    if (!m_readSettings(messages)) {
        return;
    }
    if (std::strcmp(finding->fix, kFixServerPackages) == 0) {
        ServerPackagesCommand(m_state, messages);
    } else if (std::strcmp(finding->fix, kFixDeleteBackups) == 0) {
        DeleteBackups(m_state, messages);
    } else {
        std::array<bool, 4> ticked{};
        ticked[static_cast<std::size_t>(finding->gameType - kGameTypes.data())] = true;
        RandomizeCommand(m_state, messages, ticked);
    }
    refresh();
}

void frmCheck::cmdCopy_Click() {
    QStringList lines;
    const bool all = m_lstFindings->selectedItems().isEmpty();
    for (int row = 0; row < m_lstFindings->topLevelItemCount(); ++row) {
        if (all || m_lstFindings->topLevelItem(row)->isSelected()) {
            lines << QFile::decodeName(findingLine(m_findings[static_cast<std::size_t>(row)]));
        }
    }
    if (!lines.isEmpty()) {
        QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }
}

}  // namespace rendix
