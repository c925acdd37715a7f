#include "frmMagneticDev.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "dialogs/FormUtilities.h"
#include "base/UiServices.h"
#include "dialogs/WindowRegistry.h"
#include "devices/cards/modMagneticDev.h"
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kTickMs = 500;

// A card with its magnetic stripe.
QPixmap CardPicture()
{
    QPixmap picture(96, 64);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 60, 110), 2));
    p.setBrush(QColor(225, 232, 248));
    p.drawRoundedRect(QRectF(2, 2, 92, 60), 8, 8);
    p.fillRect(QRectF(3, 12, 90, 12), QColor(30, 30, 30));
    p.fillRect(QRectF(10, 36, 44, 6), QColor(150, 160, 190));
    p.fillRect(QRectF(10, 46, 28, 6), QColor(150, 160, 190));
    return picture;
}

void ShowError(const QString& text) { ui().msgBox(text, int(Msg::OKOnly) + int(Msg::Critical), g_strMsgTitle); }

bool IsEnter(const QKeyEvent& k) { return k.key() == Qt::Key_Return || k.key() == Qt::Key_Enter; }
}

frmMagneticDev::frmMagneticDev(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmMagneticDev"));
    setWindowTitle(QStringLiteral("Carta Magnetica"));

    m_lblMsg = new QLabel(this);
    m_lblMsg->setObjectName(QStringLiteral("lblMsg"));
    QFont bold = m_lblMsg->font();
    bold.setBold(true);
    m_lblMsg->setFont(bold);
    auto* label2 = new QLabel(QStringLiteral("Passare la carta magnetica nella fessura del dispositivo."), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setWordWrap(true);
    m_lblTryAgain = new QLabel(QStringLiteral("Riprovare..."), this);
    m_lblTryAgain->setObjectName(QStringLiteral("lblTryAgain"));
    m_lblTryAgain->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    m_lblTryAgain->setVisible(false);
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(CardPicture());
    m_txtKeyCode = new QLineEdit(this);
    m_txtKeyCode->setObjectName(QStringLiteral("txtKeyCode"));
    m_txtKeyCode->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_txtKeyCode->setToolTip(QStringLiteral("Immissione Codice da Tastiera o da Emulazione (INVIO per confermare)"));
    m_cmdCancel = new QPushButton(QStringLiteral("&Annulla"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter belongs to the typed code, never to a button.
    m_cmdCancel->setAutoDefault(false);
    m_tmEvent = new QTimer(this);
    m_tmEvent->setObjectName(QStringLiteral("tmEvent"));
    m_tmEvent->setInterval(kTickMs);

    auto* grid = new QGridLayout(this);
    grid->addWidget(image, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(m_lblMsg, 0, 1);
    grid->addWidget(label2, 1, 1);
    grid->addWidget(m_lblTryAgain, 2, 1);
    grid->addWidget(m_txtKeyCode, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdCancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_tmEvent, &QTimer::timeout, this, [this] { Tick(); });
    connect(&m_operation, &MagneticCardOperation::CloseRequested, this, &QDialog::accept);
    connect(&m_operation, &MagneticCardOperation::TryAgain, this, [this] { FlashTryAgain(); });
    connect(&m_operation, &MagneticCardOperation::KeyBoxReset, this, [this] {
        if (!m_txtKeyCode->isEnabled()) return;
        m_txtKeyCode->clear();
        m_txtKeyCode->setFocus();
    });
    // The dialog sees the keys before its controls.
    m_txtKeyCode->installEventFilter(this);
    m_cmdCancel->installEventFilter(this);
    installEventFilter(this);

    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_tmEvent->start();
    resize(sizeHint().expandedTo(QSize(420, 200)));
}

frmMagneticDev& frmMagneticDev::instance()
{
    static QPointer<frmMagneticDev> dialog;
    if (!dialog) dialog = new frmMagneticDev();
    return *dialog;
}

void InstallCustomerCardWriter()
{
    setCustomerCardWriter(&frmMagneticDev::instance());
    setCustomerCardReader(&frmMagneticDev::instance());
}

void frmMagneticDev::FlashTryAgain()
{
    m_lblTryAgain->setVisible(false);
    ui().beep();
    m_lblTryAgain->setVisible(true);
}

QString frmMagneticDev::ReadCode(QWidget* owner, const QString& prefix, bool reverse)
{
    try {
        m_writing = false;
        m_prefix = prefix;
        Present(owner, m_operation.PrepareRead(prefix, reverse));
    } catch (const AppError& e) {
        ShowError(e.description);
    }
    Finish();
    return m_operation.ReadResult();
}

bool frmMagneticDev::WriteCode(QWidget* owner, const QString& code, const QString& prefix, const QString& data2,
                               bool reverse, int32_t requiredLevel)
{
    try {
        if (const auto level = WorkingAccessLevel(); level && *level < requiredLevel) {
            ui().msgBox(QStringLiteral("Utente non abilitato."), int(Msg::OKOnly) + int(Msg::Information),
                        g_strMsgTitle);
            return false;
        }
        if (!DeviceSupportsWrite()) {
            ui().msgBox(QStringLiteral("Il dispositivo configurato non supporta la scrittura delle carte."),
                        int(Msg::OKOnly) + int(Msg::Information), g_strMsgTitle);
            return false;
        }
        m_writing = true;
        Present(owner, m_operation.PrepareWrite(code, prefix, data2, reverse));
    } catch (const AppError& e) {
        ShowError(e.description);
    }
    Finish();
    return m_operation.WriteSucceeded();
}

void frmMagneticDev::Present(QWidget* owner, const QString& message)
{
    m_lblMsg->setText(DisplayLines(message));
    m_lblTryAgain->setVisible(false);
    setWindowModality(Qt::ApplicationModal);
    if (owner) move(owner->geometry().center() - rect().center());
    runModal();
}

QString frmMagneticDev::answerPrompt() const
{
    if (m_writing) return QStringLiteral("OK / Riprova");
    return m_prefix.isEmpty() ? QStringLiteral("Codice") : QStringLiteral("Codice con prefisso ") + m_prefix;
}

void frmMagneticDev::applyAnswer(const QString& answer)
{
    if (m_writing)
        m_operation.AnsweredWrite(answer.trimmed().compare(QStringLiteral("OK"), Qt::CaseInsensitive) == 0);
    else
        (void)m_operation.AnsweredCode(answer);
}

void frmMagneticDev::Finish()
{
    try {
        m_operation.Finish();
    } catch (const AppError& e) {
        ShowError(e.description);
    }
}

void frmMagneticDev::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once the dialog is up, so that a reader that does not answer keeps it on screen.
    QTimer::singleShot(0, this, [this] { Activate(); });
}

void frmMagneticDev::Activate()
{
    if (!isVisible()) return;
    try {
        m_operation.Activate();
    } catch (const AppError& e) {
        ShowError(QStringLiteral("Inizializzazione gestore Carta fallito!\r\rErrore: ") + e.description);
        reject();
        return;
    }
    const bool typed = m_operation.KeyboardEmulation();
    m_txtKeyCode->setEnabled(typed);
    if (typed) {
        m_txtKeyCode->clear();
        m_txtKeyCode->setFocus();
    }
}

void frmMagneticDev::Tick()
{
    if (!m_operation.HasDriver()) return;
    try {
        m_operation.Tick();
    } catch (const AppError& e) {
        ShowError(e.description);
        reject();
    }
}

bool frmMagneticDev::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtKeyCode && event->type() == QEvent::FocusIn) {
        QTimer::singleShot(0, m_txtKeyCode, [box = m_txtKeyCode] { box->selectAll(); });
        return false;
    }
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);

    if (watched == m_txtKeyCode) {
        const bool lineFeed = key->text() == QStringLiteral("\n");
        const bool blank = key->key() == Qt::Key_Space && m_txtKeyCode->text().size() > 1;
        if (!IsEnter(*key) && !lineFeed && !blank) return false;
        // The key ends the code. It is swallowed when the code was taken (or was empty);
        // after a refusal, which emptied the box, it goes on to the box as typed.
        return m_operation.TypedCode(m_txtKeyCode->text());
    }

    // Keys meant for the typed code while the focus is elsewhere.
    if (IsEnter(*key) && !m_txtKeyCode->text().isEmpty()) {
        m_operation.TypedCode(m_txtKeyCode->text());
        return true;
    }
    const QString typed = key->text();
    if (m_operation.KeyboardEmulation() && m_txtKeyCode->isEnabled() && typed.size() == 1 && typed.at(0).isPrint()) {
        m_txtKeyCode->setFocus();
        m_txtKeyCode->end(false);
        m_txtKeyCode->insert(typed);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

MV_REGISTER_WINDOW(frmMagneticDev, [] {
    auto* w = new frmMagneticDev();
    w->findChild<QLabel*>(QStringLiteral("lblMsg"))->setText(QStringLiteral("Lettura del Codice dalla Carta..."));
    return w;
});
