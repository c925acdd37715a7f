#include "frmBalanceTest.h"
#include "AppError.h"
#include "Configuration.h"
#include "FormUtilities.h"
#include "UiServices.h"
#include "WindowRegistry.h"
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
template <class W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}
}

frmBalanceTest::frmBalanceTest(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmBalanceTest"));
    setWindowTitle(QStringLiteral("Omega Net - Test"));

    auto* frame = named(new QGroupBox(QStringLiteral("Parametri di comunicazione"), this), "Frame1");
    m_txtCOM = named(new QLineEdit(QStringLiteral("1"), frame), "txtCOM");
    m_txtParam = named(new QLineEdit(QStringLiteral("19200,n,8,1"), frame), "txtParam");
    m_chkRTS = named(new QCheckBox(QStringLiteral("Enable RTS"), frame), "chkRTS");
    m_chkDTR = named(new QCheckBox(QStringLiteral("Enable DTR"), frame), "chkDTR");
    m_chkHandRTS = named(new QCheckBox(QStringLiteral("Handshaking RTS"), frame), "chkHandRTS");
    m_cmdOpen = named(new QPushButton(QStringLiteral("Apri"), frame), "cmdOpen");
    m_cmdClose = named(new QPushButton(QStringLiteral("Chiudi"), frame), "cmdClose");
    m_txtSend = named(new QLineEdit(this), "txtSend");
    auto* cmdSend = named(new QPushButton(QStringLiteral("Invia"), this), "cmdSend");
    m_txtResult = named(new QPlainTextEdit(this), "txtResult");
    m_txtResult->setReadOnly(true);
    auto* cmdClear = named(new QPushButton(QStringLiteral("Pulisci"), this), "cmdClear");

    auto* grid = new QGridLayout(frame);
    grid->addWidget(new QLabel(QStringLiteral("Porta:"), frame), 0, 0);
    grid->addWidget(m_txtCOM, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Parametri:"), frame), 1, 0);
    grid->addWidget(m_txtParam, 1, 1);
    grid->addWidget(m_chkRTS, 0, 2);
    grid->addWidget(m_chkDTR, 1, 2);
    grid->addWidget(m_chkHandRTS, 2, 2);
    auto* portButtons = new QVBoxLayout;
    portButtons->addWidget(m_cmdOpen);
    portButtons->addWidget(m_cmdClose);
    portButtons->addStretch(1);
    grid->addLayout(portButtons, 0, 3, 3, 1);
    auto* send = new QHBoxLayout;
    send->addWidget(m_txtSend, 1);
    send->addWidget(cmdSend);
    auto* clear = new QHBoxLayout;
    clear->addStretch(1);
    clear->addWidget(cmdClear);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(send);
    layout->addWidget(m_txtResult, 1);
    layout->addLayout(clear);

    connect(m_cmdOpen, &QPushButton::clicked, this, [this] { SetBalance(true); });
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { SetBalance(false); });
    connect(cmdSend, &QPushButton::clicked, this, [this] { Send(); });
    connect(cmdClear, &QPushButton::clicked, m_txtResult, &QPlainTextEdit::clear);
    connect(&m_console, &BalanceConsole::Logged, this, [this](const QString& line) {
        m_txtResult->moveCursor(QTextCursor::End);
        m_txtResult->insertPlainText(QString(line).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    });

    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_cmdClose->setEnabled(false);
    resize(sizeHint().expandedTo(QSize(480, 360)));
}

BalanceConsole::PortSettings frmBalanceTest::Settings() const {
    return {m_txtCOM->text(), m_txtParam->text(), m_chkRTS->isChecked(), m_chkDTR->isChecked(), m_chkHandRTS->isChecked()};
}

void frmBalanceTest::SetBalance(bool open) {
    try {
        m_console.SetBalance(open, Settings());
        m_cmdOpen->setEnabled(!open);
        m_cmdClose->setEnabled(open);
    } catch (const AppError& e) {
        ui().msgBox(BalanceConsole::PortErrorMessage(Settings(), e.description), int(Msg::OKOnly) + int(Msg::Critical),
                    g_strMsgTitle);
        m_cmdOpen->setEnabled(true);
        m_cmdClose->setEnabled(true);
    }
}

void frmBalanceTest::Send() {
    try {
        m_console.Send(m_txtSend->text());
    } catch (const AppError& e) {
        ui().msgBox(e.description, int(Msg::OKOnly) + int(Msg::Critical), g_strMsgTitle);
    }
}

MV_REGISTER_WINDOW(frmBalanceTest);
