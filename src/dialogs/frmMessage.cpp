#include "frmMessage.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "FormUtilities.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include "WindowRegistry.h"
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <cmath>

// ---- ProgressDisplay ------------------------------------------------------------------------------
void ProgressDisplay::start(int32_t max, int64_t nowMs)
{
    m_max = max == 0 ? 1 : max;
    m_value = 0;
    m_shown = true;
    m_started = true;
    m_startMs = nowMs;
}

void ProgressDisplay::advance(int32_t position)
{
    if (position > 0) {
        if (position <= m_max) m_value = position;
    } else if (position == 0) {
        if (m_value < m_max) ++m_value;
    }
}

QString ProgressDisplay::countText() const
{
    if (m_max > 9999)
        return QString::number(std::llround(double(m_value) * 100.0 / double(m_max))) + QStringLiteral(" %");
    return QString::number(m_value) + QStringLiteral(" / ") + QString::number(m_max);
}

std::optional<QString> ProgressDisplay::remainingText(int64_t nowMs) const
{
    if (!m_started) return std::nullopt;
    const double elapsed = double(nowMs - m_startMs) / 1000.0;
    if (!(elapsed > 5.0)) return std::nullopt;
    // Every position so far above the maximum: nothing to estimate from.
    if (m_value <= 0) return QString();
    const double total = elapsed * double(m_max) / double(m_value);
    return formatRemaining(total - elapsed);
}

QString ProgressDisplay::formatRemaining(double seconds)
{
    if (!(seconds > 0)) return QString();
    // Rounded once, so 3599.6 seconds read 01:00:00 and not 00:00:00.
    int64_t r = std::llround(seconds);
    QString text;
    if (r >= 86400) {
        text = QString::number(r / 86400) + QStringLiteral("gg ");
        r %= 86400;
    }
    const auto two = [](int64_t v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return text + two(r / 3600) + u':' + two(r % 3600 / 60) + u':' + two(r % 60);
}

// ---- The window ----------------------------------------------------------------------------------
namespace {
QPointer<frmMessage>& theInstance()
{
    static QPointer<frmMessage> w;
    return w;
}

// The hourglass frames: the sand runs from the top bulb to the bottom one, then the glass
// turns over.
QList<QPixmap> hourglassFrames()
{
    static QList<QPixmap> frames;
    if (!frames.isEmpty()) return frames;
    constexpr int kSteps = 8;
    for (int i = 0; i <= kSteps + 1; ++i) {
        QPixmap pm(32, 32);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(16, 16);
        if (i > kSteps) p.rotate(90);
        const double fill = std::min(1.0, double(i) / kSteps);
        QPainterPath top, bottom;
        top.moveTo(-9, -13);
        top.lineTo(9, -13);
        top.lineTo(1.5, -1);
        top.lineTo(-1.5, -1);
        top.closeSubpath();
        bottom.moveTo(-1.5, 1);
        bottom.lineTo(1.5, 1);
        bottom.lineTo(9, 13);
        bottom.lineTo(-9, 13);
        bottom.closeSubpath();
        const QColor sand(214, 170, 60);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(235, 244, 252));
        p.drawPath(top);
        p.drawPath(bottom);
        p.save();
        p.setClipPath(top);
        p.setBrush(sand);
        const double topLevel = -13 + 12 * fill;   // the sand surface sinks as it runs out
        p.drawRect(QRectF(-10, topLevel, 20, -1 - topLevel));
        p.restore();
        p.save();
        p.setClipPath(bottom);
        p.setBrush(sand);
        p.drawRect(QRectF(-10, 13 - 12 * fill, 20, 12 * fill));
        p.restore();
        if (fill > 0 && fill < 1) {
            p.setPen(QPen(sand, 1.2));
            p.drawLine(QPointF(0, -1), QPointF(0, 12));
        }
        p.setPen(QPen(QColor(60, 60, 70), 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(top);
        p.drawPath(bottom);
        p.setPen(QPen(QColor(120, 72, 30), 3));
        p.drawLine(QPointF(-11, -14.5), QPointF(11, -14.5));
        p.drawLine(QPointF(-11, 14.5), QPointF(11, 14.5));
        frames << pm;
    }
    return frames;
}
}

frmMessage::frmMessage(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmMessage"));
    setWindowTitle(AppTitle());

    m_lblMessage = new QLabel(this);
    m_lblMessage->setObjectName(QStringLiteral("lblMessage"));
    m_lblMessage->setWordWrap(true);
    m_lblMessage->setMinimumHeight(m_lblMessage->fontMetrics().height() * 2);
    m_lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_imgHourglass = new QLabel(this);
    m_imgHourglass->setObjectName(QStringLiteral("imgHourglass"));
    m_imgHourglass->setToolTip(QStringLiteral("Attendere..."));
    m_imgHourglass->setFixedSize(36, 36);
    m_imgHourglass->setAlignment(Qt::AlignCenter);

    m_shpNotify = new QFrame(this);
    m_shpNotify->setObjectName(QStringLiteral("shpNotify"));
    m_shpNotify->setFrameShape(QFrame::Panel);
    m_shpNotify->setFrameShadow(QFrame::Sunken);
    m_pbNotify = new QProgressBar(m_shpNotify);
    m_pbNotify->setObjectName(QStringLiteral("pbNotify"));
    m_pbNotify->setTextVisible(false);
    auto* barLayout = new QHBoxLayout(m_shpNotify);
    barLayout->setContentsMargins(2, 2, 2, 2);
    barLayout->addWidget(m_pbNotify);

    m_lblCount = new QLabel(this);
    m_lblCount->setObjectName(QStringLiteral("lblCount"));
    m_lblCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblCount->setMinimumWidth(m_lblCount->fontMetrics().horizontalAdvance(QStringLiteral("99999 / 99999")));

    m_lblTime = new QLabel(this);
    m_lblTime->setObjectName(QStringLiteral("lblTime"));
    m_lblTime->setToolTip(QStringLiteral("Tempo rimanente (stimato)"));

    m_cmdStop = new QPushButton(QStringLiteral("&Stop"), this);
    m_cmdStop->setObjectName(QStringLiteral("cmdStop"));
    m_cmdStop->setToolTip(QStringLiteral("Interrompe l'esecuzione"));
    m_cmdStop->setAutoDefault(false);
    connect(m_cmdStop, &QPushButton::clicked, this, [this] { RequestStop(); });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setHorizontalSpacing(10);
    grid->addWidget(m_imgHourglass, 0, 0, Qt::AlignTop);
    grid->addWidget(m_lblMessage, 0, 1, 1, 2);
    grid->addWidget(m_shpNotify, 1, 1);
    grid->addWidget(m_lblCount, 1, 2);
    grid->addWidget(m_lblTime, 2, 1);
    grid->addWidget(m_cmdStop, 2, 2, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);

    m_tmHourglass = new QTimer(this);
    m_tmHourglass->setObjectName(QStringLiteral("tmHourglass"));
    m_tmHourglass->setInterval(200);
    connect(m_tmHourglass, &QTimer::timeout, this, [this] { nextHourglassFrame(); });

    // Load.
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    setBarVisible(false);
    m_cmdStop->setVisible(false);
    m_stopped = false;
    nextHourglassFrame();
    m_tmHourglass->start();
    resize(420, 130);
}

frmMessage::~frmMessage()
{
    // Never leave the window it was shown over disabled.
    if (m_parent && m_parentWasEnabled) m_parent->setEnabled(true);
}

frmMessage& frmMessage::instance()
{
    QPointer<frmMessage>& w = theInstance();
    if (!w) w = new frmMessage();
    return *w;
}

bool frmMessage::isLoaded() { return !theInstance().isNull(); }

void frmMessage::unloadInstance()
{
    if (frmMessage* w = theInstance()) w->Unload();
}

void frmMessage::Unload()
{
    m_unloading = true;
    releaseParent();
    hide();
    m_tmHourglass->stop();
    m_unloading = false;
    if (theInstance() == this) {
        // The caller may still be inside one of this window's methods (Stop is clicked
        // while Progress lets events run): free it once control is back in the event loop.
        theInstance() = nullptr;
        deleteLater();
    }
}

void frmMessage::nextHourglassFrame()
{
    const QList<QPixmap> frames = hourglassFrames();
    m_frame = m_frame % int(frames.size()) + 1;
    m_imgHourglass->setPixmap(frames.at(m_frame - 1));
}

void frmMessage::setBarVisible(bool visible)
{
    m_shpNotify->setVisible(visible);
    m_lblCount->setVisible(visible);
    m_lblTime->setVisible(visible);
    if (!visible) {
        m_lblCount->clear();
        m_lblTime->clear();
    }
}

void frmMessage::refreshBar()
{
    m_pbNotify->setRange(0, m_display.maximum());
    m_pbNotify->setValue(m_display.value());
}

void frmMessage::adoptParent(QWidget* parentForm)
{
    if (!parentForm || parentForm == m_parent) return;
    releaseParent();
    m_parent = parentForm;
    m_parentWasEnabled = parentForm != this && parentForm->isEnabled();
    if (parentForm != this) parentForm->installEventFilter(this);
}

void frmMessage::releaseParent()
{
    if (!m_parent) return;
    QPointer<QWidget> p = m_parent;
    p->removeEventFilter(this);
    if (m_parentWasEnabled) p->setEnabled(true);
    if (p->isEnabled() && p->isVisible()) {
        p->activateWindow();
        p->setFocus();
    }
    m_parent = nullptr;
    m_parentWasEnabled = false;
}

void frmMessage::disableParent()
{
    if (!m_parent || m_parent == this) return;
    m_parent->setEnabled(false);
    if (m_parent->isVisible()) m_parent->update();
}

void frmMessage::showOverParent()
{
    if (m_parent && m_parent != this && m_parent->isVisible()) m_parent->repaint();
    if (m_parent && m_parent != this) {
        // Owned by the parent's window without being its child: a disabled parent disables
        // its children, and this window must stay usable.
        create();
        QWindow* own = windowHandle();
        QWindow* parentWindow = m_parent->window()->windowHandle();
        if (own && parentWindow) own->setTransientParent(parentWindow);
    }
    show();
}

void frmMessage::ShowMsg(const QString& message, QWidget* parentForm, int32_t top, int32_t left)
{
    adoptParent(parentForm);
    m_lblMessage->setText(DisplayLines(message));
    if (!isVisible()) {
        showOverParent();
        if (top != -1 || left != -1) {
            QPoint p = pos();
            if (top != -1) p.setY(TwipsToPixels(top));
            if (left != -1) p.setX(TwipsToPixels(left));
            move(p);
        }
        if (m_display.full()) EndProgress();
    } else {
        disableParent();
    }
    repaint();
}

void frmMessage::StartProgress(int32_t max, bool showStop)
{
    m_display.start(max, appClock().monotonicMs());
    refreshBar();
    setBarVisible(true);
    m_lblCount->clear();
    m_lblTime->clear();
    m_cmdStop->setVisible(showStop);
    m_stopped = false;
}

bool frmMessage::Progress(int32_t position, bool onlyStop)
{
    if (!isVisible()) showOverParent();
    if (!onlyStop) {
        m_display.advance(position);
        refreshBar();
        m_lblCount->setText(m_display.countText());
        if (const std::optional<QString> t = m_display.remainingText(appClock().monotonicMs())) m_lblTime->setText(*t);
    } else if (!m_cmdStop->isVisible()) {
        m_cmdStop->setVisible(true);
    }
    // A click on Stop is seen here, inside the caller's loop.
    QApplication::processEvents();
    return !m_stopped;
}

void frmMessage::EndProgress()
{
    m_display.end();
    setBarVisible(false);
    m_cmdStop->setVisible(false);
}

int32_t frmMessage::MaxProgress() const { return m_display.shown() ? m_display.maximum() : 0; }

bool frmMessage::OnProgress(int32_t, int32_t a2, int32_t a3, int32_t, int32_t)
{
    const bool onlyStop = a3 != 0 && (a2 == 0 || !m_display.shown());
    return Progress(a3, onlyStop);
}

void frmMessage::OnStart(int32_t, int32_t max) { StartProgress(max, true); }

void frmMessage::OnEnd(int32_t, int32_t) { EndProgress(); }

void frmMessage::RequestStop()
{
    const int answer
        = ui().msgBox(QStringLiteral("Confermi l'interruzione ?"), int(Msg::YesNo) + int(Msg::Question), g_strMsgTitle);
    if (answer != Msg::Yes) return;
    if (m_stopped)
        Unload();
    else
        m_stopped = true;
}

void frmMessage::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        RequestStop();
        return;
    }
    QWidget::keyPressEvent(e);
}

void frmMessage::closeEvent(QCloseEvent* e)
{
    if (m_unloading) {
        QWidget::closeEvent(e);
        return;
    }
    // The window manager's close acts as Stop: the operation decides when the window goes.
    e->ignore();
    RequestStop();
}

void frmMessage::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    disableParent();
}

bool frmMessage::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_parent && e->type() == QEvent::Close) {
        m_parent->removeEventFilter(this);
        if (m_parentWasEnabled) m_parent->setEnabled(true);
        m_parentWasEnabled = false;
        m_parent = nullptr;
    }
    return QWidget::eventFilter(watched, e);
}

// As it looks in the middle of a counted operation.
MV_REGISTER_WINDOW(frmMessage, [] {
    auto* w = new frmMessage();
    w->ShowMsg(QStringLiteral("Attendere..."));
    w->StartProgress(100, true);
    w->Progress(12);
    return w;
});
