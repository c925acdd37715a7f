#include "frmEllisseTest.h"
#include "AnswerControls.h"
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
W* named(W* w, const char* name, const char* tip = nullptr) {
    w->setObjectName(QString::fromLatin1(name));
    if (tip) w->setToolTip(QString::fromUtf8(tip));
    return w;
}
const char* const kReadTip = "Legge tutti gli articoli (PLU) configurati nella cassa";
}

frmEllisseTest::frmEllisseTest(QWidget* parent) : ModalDialog(parent) {
    setObjectName(QStringLiteral("frmEllisseTest"));
    setWindowTitle(QStringLiteral("Ellisse - Test"));

    auto* frame = named(new QGroupBox(QStringLiteral("Parametri di comunicazione"), this), "Frame1");
    m_txtCOM = named(new QLineEdit(QStringLiteral("1"), frame), "txtCOM");
    m_txtParam = named(new QLineEdit(QStringLiteral("9600,E,7,1"), frame), "txtParam");
    m_chkDTR = named(new QCheckBox(QStringLiteral("Enable DTR"), frame), "chkDTR");
    m_chkRTS = named(new QCheckBox(QStringLiteral("Enable RTS"), frame), "chkRTS");
    m_chkHandRTS = named(new QCheckBox(QStringLiteral("Handshaking RTS"), frame), "chkHandRTS");
    m_cmdOpen = named(new QPushButton(QStringLiteral("Apri"), frame), "cmdOpen");
    m_cmdClose = named(new QPushButton(QStringLiteral("Chiudi"), frame), "cmdClose");
    m_txtSend = named(new QLineEdit(this), "txtSend",
                      "Impostare solo l'OPCODE (cioè tutto quello dopo l'STX) e i dati fino a EOT (escluso)");
    auto* cmdSend = named(new QPushButton(QStringLiteral("Invia"), this), "cmdSend");
    auto* cmdArticoli = named(new QPushButton(QStringLiteral("Leggi Articoli"), this), "cmdReadAll_Articoli", kReadTip);
    auto* cmdReparti = named(new QPushButton(QStringLiteral("Leggi Reparti"), this), "cmdReadAll_Reparti", kReadTip);
    m_txtResult = named(new QPlainTextEdit(this), "txtResult");
    m_txtResult->setReadOnly(true);
    auto* cmdClear = named(new QPushButton(QStringLiteral("Pulisci"), this), "cmdClear");
    m_lblProgr = named(new QLabel(this), "lblProgr");

    auto* grid = new QGridLayout(frame);
    grid->addWidget(new QLabel(QStringLiteral("Porta:"), frame), 0, 0);
    grid->addWidget(m_txtCOM, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Parametri:"), frame), 1, 0);
    grid->addWidget(m_txtParam, 1, 1);
    grid->addWidget(m_chkDTR, 0, 2);
    grid->addWidget(m_chkRTS, 1, 2);
    grid->addWidget(m_chkHandRTS, 2, 2);
    auto* portButtons = new QVBoxLayout;
    portButtons->addWidget(m_cmdOpen);
    portButtons->addWidget(m_cmdClose);
    portButtons->addStretch(1);
    grid->addLayout(portButtons, 0, 3, 3, 1);
    auto* send = new QHBoxLayout;
    send->addWidget(m_txtSend, 1);
    send->addWidget(cmdSend);
    auto* tables = new QHBoxLayout;
    tables->addWidget(cmdArticoli);
    tables->addWidget(cmdReparti);
    tables->addWidget(m_lblProgr, 1);
    tables->addWidget(cmdClear);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(send);
    layout->addWidget(m_txtResult, 1);
    layout->addLayout(tables);

    connect(m_cmdOpen, &QPushButton::clicked, this, [this] { SetDevice(true); });
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { SetDevice(false); });
    connect(cmdSend, &QPushButton::clicked, this, [this] { Send(); });
    connect(cmdArticoli, &QPushButton::clicked, this, [this] { ReadAll_Articoli(); });
    connect(cmdReparti, &QPushButton::clicked, this, [this] { ReadAll_Reparti(); });
    connect(cmdClear, &QPushButton::clicked, &m_console, &EllisseConsole::ClearLog);
    connect(&m_console, &EllisseConsole::LogChanged, this, [this] {
        m_txtResult->setPlainText(QString(m_console.Log()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        m_txtResult->moveCursor(QTextCursor::End);
    });
    connect(&m_console, &EllisseConsole::ProgressChanged, m_lblProgr, &QLabel::setText);

    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_console.ClearLog();
    m_cmdClose->setEnabled(false);
    resize(sizeHint().expandedTo(QSize(560, 420)));
}

EllisseConsole::PortSettings frmEllisseTest::Settings() const {
    return {m_txtCOM->text(), m_txtParam->text(), m_chkDTR->isChecked(), m_chkRTS->isChecked(), m_chkHandRTS->isChecked()};
}

void frmEllisseTest::run(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const AppError& e) {
        ui().msgBox(e.description, int(Msg::OKOnly) + int(Msg::Critical), g_strMsgTitle);
    }
}

void frmEllisseTest::SetDevice(bool open) {
    run([&] {
        m_console.SetDevice(open, Settings());
        m_cmdOpen->setEnabled(!open);
        m_cmdClose->setEnabled(open);
    });
}

void frmEllisseTest::Send() {
    run([&] { m_console.Send(m_txtSend->text()); });
}

void frmEllisseTest::ReadAll_Articoli() {
    run([&] { m_console.ReadAll_Articoli(); });
}

void frmEllisseTest::ReadAll_Reparti() {
    run([&] { m_console.ReadAll_Reparti(); });
}

void frmEllisseTest::ShowModal(QWidget* owner) {
    frmEllisseTest window(owner);
    window.runModal();
}

QString frmEllisseTest::answerPrompt() const {
    QStringList captions;
    for (const QPushButton* b : findChildren<QPushButton*>()) captions << QString(b->text()).remove(u'&');
    return captions.join(QStringLiteral(", "));
}

void frmEllisseTest::applyAnswer(const QString& answer) {
    QAbstractButton* button = answers::Button(*this, answer);
    if (!button) {
        reject();
        return;
    }
    if (answers::FillControls(*this, answer)) (void)answers::Press(*button);
}

MV_REGISTER_WINDOW(frmEllisseTest);
