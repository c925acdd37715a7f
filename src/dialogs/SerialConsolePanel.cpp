#include "SerialConsolePanel.h"
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
template <class W> W* named(W* w, const char* name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QString shown(const QString& text) { return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
}

SerialConsolePanel::SerialConsolePanel(const Look& look, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SerialConsole"));
    auto* frame = named(new QGroupBox(QStringLiteral("Parametri di comunicazione"), this), "Frame1");
    m_txtCOM = named(new QLineEdit(QStringLiteral("1"), frame), "txtCOM");
    m_txtParam = named(new QLineEdit(look.params, frame), "txtParam");
    // Created in the order they are listed, which is the order Tab follows.
    auto* first = new QCheckBox(frame);
    auto* second = new QCheckBox(frame);
    m_chkDTR = named(look.rtsFirst ? second : first, "chkDTR");
    m_chkRTS = named(look.rtsFirst ? first : second, "chkRTS");
    m_chkDTR->setText(QStringLiteral("Enable DTR"));
    m_chkRTS->setText(QStringLiteral("Enable RTS"));
    m_chkHandRTS = named(new QCheckBox(QStringLiteral("Handshaking RTS"), frame), "chkHandRTS");
    m_cmdOpen = named(new QPushButton(QStringLiteral("Apri"), frame), "cmdOpen");
    m_cmdClose = named(new QPushButton(QStringLiteral("Chiudi"), frame), "cmdClose");
    m_txtSend = named(new QLineEdit(this), "txtSend");
    if (!look.sendTip.isEmpty()) m_txtSend->setToolTip(look.sendTip);
    auto* cmdSend = named(new QPushButton(QStringLiteral("Invia"), this), "cmdSend");
    m_txtResult = named(new QPlainTextEdit(this), "txtResult");
    m_txtResult->setReadOnly(true);

    auto* grid = new QGridLayout(frame);
    grid->addWidget(new QLabel(QStringLiteral("Porta:"), frame), 0, 0);
    grid->addWidget(m_txtCOM, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Parametri:"), frame), 1, 0);
    grid->addWidget(m_txtParam, 1, 1);
    grid->addWidget(first, 0, 2);
    grid->addWidget(second, 1, 2);
    grid->addWidget(m_chkHandRTS, 2, 2);
    auto* portButtons = new QVBoxLayout;
    portButtons->addWidget(m_cmdOpen);
    portButtons->addWidget(m_cmdClose);
    portButtons->addStretch(1);
    grid->addLayout(portButtons, 0, 3, 3, 1);
    auto* send = new QHBoxLayout;
    send->addWidget(m_txtSend, 1);
    send->addWidget(cmdSend);
    auto* bottom = new QHBoxLayout;
    for (const auto& [widget, stretch] : look.bottom) {
        widget->setParent(this);
        bottom->addWidget(widget, stretch);
    }
    // Created after the console's own buttons: an answer line lists the buttons in this order.
    auto* cmdClear = named(new QPushButton(QStringLiteral("Pulisci"), this), "cmdClear");
    bottom->addWidget(cmdClear);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    layout->addLayout(send);
    layout->addWidget(m_txtResult, 1);
    layout->addLayout(bottom);

    connect(m_cmdOpen, &QPushButton::clicked, this, &SerialConsolePanel::openClicked);
    connect(m_cmdClose, &QPushButton::clicked, this, &SerialConsolePanel::closeClicked);
    connect(cmdSend, &QPushButton::clicked, this, &SerialConsolePanel::sendClicked);
    connect(cmdClear, &QPushButton::clicked, this, &SerialConsolePanel::clearClicked);
    m_cmdClose->setEnabled(false);
}

ConsolePortSettings SerialConsolePanel::Settings() const
{
    ConsolePortSettings s;
    s.port = m_txtCOM->text();
    s.params = m_txtParam->text();
    s.dtr = m_chkDTR->isChecked();
    s.rts = m_chkRTS->isChecked();
    s.handshakeRts = m_chkHandRTS->isChecked();
    return s;
}

QString SerialConsolePanel::SendText() const { return m_txtSend->text(); }

void SerialConsolePanel::ShowPortOpen(bool open)
{
    m_cmdOpen->setEnabled(!open);
    m_cmdClose->setEnabled(open);
}

void SerialConsolePanel::ShowPortFailed()
{
    m_cmdOpen->setEnabled(true);
    m_cmdClose->setEnabled(true);
}

void SerialConsolePanel::SetLog(const QString& text)
{
    m_txtResult->setPlainText(shown(text));
    m_txtResult->moveCursor(QTextCursor::End);
}

void SerialConsolePanel::AppendLog(const QString& text)
{
    m_txtResult->moveCursor(QTextCursor::End);
    m_txtResult->insertPlainText(shown(text));
}

void SerialConsolePanel::ClearLog() { m_txtResult->clear(); }
