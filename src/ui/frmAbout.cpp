#include "ui/frmAbout.h"

#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "app/SysInfo.h"
#include "app/Version.h"
#include "ui/ProgramIcon.h"

namespace rendix {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

// The program's icon at 32 by 32 pixels; a plain badge where neither drawing can be read.
QPixmap iconPicture() {
    QPixmap picture = programIcon().pixmap(32, 32);
    if (!picture.isNull()) {
        return picture;
    }
    picture = QPixmap(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x2b, 0x4c, 0x7e));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0, 0, 32, 32), 4, 4);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("R"));
    return picture;
}

}  // namespace

frmAbout::frmAbout(const MessagesFactory& messages)
    : QDialog(nullptr), m_layout(new TwipsLayout(this)) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(programIcon());

    auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    m_layout->place(cmdOK, {4245, 2625, 1260, 345});

    auto* picIcon = makeLabel(this, "picIcon");
    picIcon->setPixmap(iconPicture());
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_layout->place(picIcon, {240, 240, 540, 540});

    auto* cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    m_layout->place(cmdSysInfo, {4260, 3075, 1245, 345});

    auto* lblDescription = makeLabel(this, "lblDescription");
    lblDescription->setText(QStringLiteral("UnrealTournament.ini Manager"));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_layout->place(lblDescription, {1050, 1125, 3885, 1170});

    auto* lblDisclaimer = makeLabel(this, "lblDisclaimer");
    lblDisclaimer->setText(
        QStringLiteral("Not made or endorsed by the makers of Unreal Tournament. Rendix backs "
                       "up UnrealTournament.ini before each change."));
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_layout->place(lblDisclaimer, {255, 2625, 3870, 825});

    auto* lblTitle = makeLabel(this, "lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblTitle->setFont(titleFont);
    lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_layout->place(lblTitle, {1050, 240, 3885, 480});

    auto* lblVersion = makeLabel(this, "lblVersion");
    m_layout->place(lblVersion, {1050, 780, 3885, 225});

    Form_Load();
    m_layout->apply({5730, 3555});
    setTabOrder(cmdOK, cmdSysInfo);
    cmdOK->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    m_messages = messages(this, nullptr);
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load() {
    const QString title = QLatin1String(kProgramTitle);
    setWindowTitle(QStringLiteral("About ") + title);
    findChild<QLabel*>(QStringLiteral("lblVersion"))
        ->setText(QStringLiteral("Version %1.%2.%3")
                      .arg(kVersionMajor)
                      .arg(kVersionMinor)
                      .arg(kVersionRevision));
    findChild<QLabel*>(QStringLiteral("lblTitle"))->setText(title);
}

void frmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The etched rule between the description and the buttons.
    QPainter painter(this);
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.drawLine(m_layout->x(90), m_layout->y(2445), m_layout->x(5654), m_layout->y(2445));
    painter.fillRect(QRect(QPoint(m_layout->x(105), m_layout->y(2460)),
                           QPoint(m_layout->x(5654), m_layout->y(2460) + 1)),
                     Qt::white);
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo(*m_messages);
}

}  // namespace rendix
