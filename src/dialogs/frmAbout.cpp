#include "frmAbout.h"
#include "ProgramPictures.h"
#include "core/configuration/Configuration.h"
#include "FormUtilities.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include "WindowRegistry.h"
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

QString SystemSummary()
{
    QStringList lines;
    const QString os = QSysInfo::prettyProductName();
    if (!os.isEmpty() && os != u"unknown") lines << QStringLiteral("Sistema operativo: ") + os;
    const QString kernel = (QSysInfo::kernelType() + u' ' + QSysInfo::kernelVersion()).trimmed();
    if (!kernel.isEmpty()) lines << QStringLiteral("Kernel: ") + kernel;
    const QString cpu = QSysInfo::currentCpuArchitecture();
    if (!cpu.isEmpty() && cpu != u"unknown") lines << QStringLiteral("Processore: ") + cpu;
    const QString host = QSysInfo::machineHostName();
    if (!host.isEmpty()) lines << QStringLiteral("Computer: ") + host;
    if (lines.isEmpty()) return QString();
    lines << QStringLiteral("Qt: ") + QString::fromLatin1(qVersion());
    return lines.join(u'\r');
}

namespace {
QPixmap supplierLogo()
{
    QPixmap pm(150, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(176, 32, 48));
    QPainterPath v;
    v.moveTo(4, 6);
    v.lineTo(14, 6);
    v.lineTo(20, 26);
    v.lineTo(26, 6);
    v.lineTo(36, 6);
    v.lineTo(24, 36);
    v.lineTo(16, 36);
    v.closeSubpath();
    p.drawPath(v);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(20);
    p.setFont(f);
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRectF(40, 0, 110, 40), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("essanti"));
    return pm;
}
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Informazioni"));

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(ProgramLogo(48));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    lblTitle->setFont(titleFont);
    auto* lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto* lblDescription = new QLabel(this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);

    m_lblWeb = new QLabel(QString::fromLatin1(kWebAddress), this);
    m_lblWeb->setObjectName(QStringLiteral("lblWeb"));
    m_lblWeb->setCursor(Qt::PointingHandCursor);
    m_lblWeb->setStyleSheet(QStringLiteral("color: #1a4fa0; text-decoration: underline;"));
    m_lblWeb->installEventFilter(this);

    auto* imgEuro = new QLabel(this);
    imgEuro->setObjectName(QStringLiteral("imgEuro"));
    imgEuro->setPixmap(EuroPicture(28));
    auto* lblEuroReady = new QLabel(QStringLiteral("Euro ready"), this);
    lblEuroReady->setObjectName(QStringLiteral("lblEuroReady"));

    auto* lblPoweredBy = new QLabel(QStringLiteral("Powered By:"), this);
    lblPoweredBy->setObjectName(QStringLiteral("lblPoweredBy"));
    m_imgVessanti = new QLabel(this);
    m_imgVessanti->setObjectName(QStringLiteral("imgVessanti"));
    m_imgVessanti->setPixmap(supplierLogo());
    m_imgVessanti->setCursor(Qt::PointingHandCursor);
    m_imgVessanti->installEventFilter(this);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto* cmdSysInfo = new QPushButton(QStringLiteral("&System Info ..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setToolTip(QStringLiteral("Visualizza le informazioni di sistema"));
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(); });

    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addSpacing(6);
    text->addWidget(lblDescription);
    text->addSpacing(6);
    text->addWidget(m_lblWeb);
    auto* euro = new QHBoxLayout;
    euro->addWidget(imgEuro);
    euro->addWidget(lblEuroReady);
    euro->addStretch(1);
    text->addLayout(euro);
    text->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addSpacing(10);
    top->addLayout(text, 1);

    auto* supplier = new QVBoxLayout;
    supplier->addWidget(lblPoweredBy);
    supplier->addWidget(m_imgVessanti);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(supplier);
    bottom->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    bottom->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(line);
    layout->addLayout(bottom);

    // Load.
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    lblVersion->setText(
        QStringLiteral("Version %1.%2.%3").arg(AppVersionMajor()).arg(AppVersionMinor()).arg(AppVersionRevision()));
    lblTitle->setText(AppTitle());
    lblDescription->setText(QStringLiteral("Gestione del banco di vendita, del magazzino e del registratore fiscale"));
    resize(440, 260);
}

QString frmAbout::ContactDetails()
{
    return QStringLiteral("Vessanti\r\rAssistenza clienti: assistenza@vessanti.example\rSito: ")
        + QString::fromLatin1(kWebAddress);
}

void frmAbout::StartSysInfo()
{
    const QString summary = SystemSummary();
    if (summary.isEmpty()) {
        ui().msgBox(QString::fromLatin1(kUnavailable), Msg::OKOnly, g_strMsgTitle);
        return;
    }
    ui().msgBox(summary, int(Msg::OKOnly) + int(Msg::Information), g_strMsgTitle);
}

void frmAbout::ShowContacts()
{
    ui().msgBox(ContactDetails(), int(Msg::OKOnly) + int(Msg::Information), g_strMsgTitle);
}

bool frmAbout::OpenWebSite() { return ShellOpen(m_lblWeb->text(), QStringLiteral("open")); }

bool frmAbout::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        if (watched == m_lblWeb) {
            OpenWebSite();
            return true;
        }
        if (watched == m_imgVessanti) {
            ShowContacts();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

MV_REGISTER_WINDOW(frmAbout);
