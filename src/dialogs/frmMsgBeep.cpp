#include "frmMsgBeep.h"
#include "core/configuration/Configuration.h"
#include "FormUtilities.h"
#include "base/UiServices.h"
#include "WindowRegistry.h"
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

void TypedKeyGate::keyPressed(int keyAscii)
{
    if (IsTypingKey(keyAscii)) ++m_typedKeys;
}

bool TypedKeyGate::confirm()
{
    if (m_typedKeys == 0) return true;
    m_typedKeys = 0;
    return false;
}

frmMsgBeep::frmMsgBeep(QWidget* owner) : ModalDialog(owner)
{
    setObjectName(QStringLiteral("frmMsgBeep"));
    setWindowTitle(QStringLiteral("Attenzione"));

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
    m_image1->setAlignment(Qt::AlignTop);
    m_lblMessage = new QLabel(this);
    m_lblMessage->setObjectName(QStringLiteral("lblMessage"));
    m_lblMessage->setWordWrap(true);
    m_lblMessage->setMinimumWidth(260);
    m_lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_cmdExit = new QPushButton(QStringLiteral("&OK"), this);
    m_cmdExit->setObjectName(QStringLiteral("cmdExit"));
    m_cmdExit->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("&Annulla"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* top = new QHBoxLayout;
    top->addWidget(m_image1);
    top->addSpacing(8);
    top->addWidget(m_lblMessage, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdExit);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    connect(m_cmdExit, &QPushButton::clicked, this, [this] { exitClicked(); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] {
        m_confirmed = false;
        reject();
    });

    // Keys reach whichever control has the focus: every one of them reports to the window.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_gate.reset();
    m_confirmed = false;
    resize(380, 150);
}

void frmMsgBeep::setMessage(const QString& message) { m_lblMessage->setText(DisplayLines(message)); }

void frmMsgBeep::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_gate.reset();
    ui().beep();
}

bool frmMsgBeep::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        // A key goes to the focused control and, when that ignores it, on to its parents:
        // count it once, where it arrived first.
        QWidget* focus = QApplication::focusWidget();
        const bool focusInside = focus && (focus == this || isAncestorOf(focus));
        if (watched == (focusInside ? static_cast<QObject*>(focus) : this))
            m_gate.keyPressed(KeyAsciiOf(*static_cast<QKeyEvent*>(e)));
    }
    return QDialog::eventFilter(watched, e);
}

void frmMsgBeep::exitClicked()
{
    if (!m_gate.confirm()) {
        ui().beep();
        return;
    }
    m_confirmed = true;
    accept();
}

void frmMsgBeep::ShowMessage(QWidget* owner, const QString& message, bool& confirmed)
{
    if (owner && owner != parentWidget()) setParent(owner, windowFlags());
    setMessage(message);
    m_confirmed = false;
    runModal();
    confirmed = m_confirmed;
}

QString frmMsgBeep::answerPrompt() const { return m_lblMessage->text(); }

void frmMsgBeep::applyAnswer(const QString& answer)
{
    if (answer.trimmed().compare(QStringLiteral("OK"), Qt::CaseInsensitive) == 0)
        exitClicked();
    else
        reject();
}

bool frmMsgBeep::ShowMessage(QWidget* owner, const QString& message)
{
    frmMsgBeep window(owner);
    bool confirmed = false;
    window.ShowMessage(owner, message, confirmed);
    return confirmed;
}

MV_REGISTER_WINDOW(frmMsgBeep, [] {
    auto* w = new frmMsgBeep();
    w->setMessage(QStringLiteral("Articolo non trovato...\r\rVuoi inserirlo ?"));
    return w;
});
