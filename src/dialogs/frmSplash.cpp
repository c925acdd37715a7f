#include "frmSplash.h"
#include "ProgramPictures.h"
#include "FormUtilities.h"
#include "core/helpers/SystemHelpers.h"
#include "WindowRegistry.h"
#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

namespace {
QPointer<frmSplash>& theInstance()
{
    static QPointer<frmSplash> w;
    return w;
}

QLabel* named(QLabel* l, const char* name)
{
    l->setObjectName(QString::fromLatin1(name));
    return l;
}
}

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    auto* fraMainFrame = new QFrame(this);
    fraMainFrame->setObjectName(QStringLiteral("fraMainFrame"));
    fraMainFrame->setFrameShape(QFrame::Box);
    fraMainFrame->setFrameShadow(QFrame::Raised);

    m_picLogo = named(new QLabel(fraMainFrame), "picLogo");
    m_picLogo->setPixmap(ProgramLogo(96));
    m_picLogo->setAlignment(Qt::AlignCenter);
    m_lblProductName = named(new QLabel(QStringLiteral("Product Name"), fraMainFrame), "lblProductName");
    QFont product(QStringLiteral("Arial Black"));
    product.setPointSize(24);
    product.setWeight(QFont::Black);
    m_lblProductName->setFont(product);
    m_lblVersion = named(new QLabel(QStringLiteral("Version 2.0"), fraMainFrame), "lblVersion");
    auto* lblPlatform = named(new QLabel(QStringLiteral("for Windows 9x/2000/XP/Vista"), fraMainFrame), "lblPlatform");
    auto* imgEuro = named(new QLabel(fraMainFrame), "imgEuro");
    imgEuro->setPixmap(EuroPicture(24));
    auto* lblEuroReady = named(new QLabel(QStringLiteral("Euro ready"), fraMainFrame), "lblEuroReady");
    auto* lblCompany = named(new QLabel(QStringLiteral("Vessanti"), fraMainFrame), "lblCompany");

    auto* text = new QVBoxLayout;
    text->addWidget(m_lblProductName);
    text->addWidget(m_lblVersion);
    text->addWidget(lblPlatform);
    text->addStretch(1);
    auto* euro = new QHBoxLayout;
    euro->addWidget(imgEuro);
    euro->addWidget(lblEuroReady);
    euro->addStretch(1);
    euro->addWidget(lblCompany);
    text->addLayout(euro);
    auto* inner = new QHBoxLayout(fraMainFrame);
    inner->setContentsMargins(18, 18, 18, 18);
    inner->setSpacing(18);
    inner->addWidget(m_picLogo, 0, Qt::AlignTop);
    inner->addLayout(text, 1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(fraMainFrame);

    // Load.
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_lblVersion->setText(
        QStringLiteral("Version %1.%2.%3").arg(AppVersionMajor()).arg(AppVersionMinor()).arg(AppVersionRevision()));
    m_lblProductName->setText(AppTitle());
    resize(470, 200);
}

frmSplash& frmSplash::instance()
{
    QPointer<frmSplash>& w = theInstance();
    if (!w) w = new frmSplash();
    return *w;
}

bool frmSplash::isLoaded() { return !theInstance().isNull(); }

void frmSplash::unloadInstance()
{
    if (frmSplash* w = theInstance()) {
        w->hide();
        delete w;
    }
}

void frmSplash::ShowNow()
{
    const QRect area = ScreenAreaOf(this);
    move(area.center() - rect().center());
    show();
    raise();
    repaint();
    QApplication::processEvents();
}

void frmSplash::ShowSplash(const QString& logoFile)
{
    m_hasLogo = false;
    if (!logoFile.isEmpty()) {
        QPixmap picture;
        if (picture.load(logoFile)) {
            m_picLogo->setPixmap(picture);
            m_hasLogo = true;
        }
    }
    ShowNow();
    if (m_hasLogo) WaitSeconds(2);
}

MV_REGISTER_WINDOW(frmSplash);
