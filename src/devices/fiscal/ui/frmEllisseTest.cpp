#include "frmEllisseTest.h"
#include "dialogs/AnswerControls.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "dialogs/FormUtilities.h"
#include "dialogs/SerialConsolePanel.h"
#include "base/UiServices.h"
#include "dialogs/WindowRegistry.h"
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
template <class W> W* named(W* w, const char* name, const char* tip = nullptr)
{
    w->setObjectName(QString::fromLatin1(name));
    if (tip) w->setToolTip(QString::fromUtf8(tip));
    return w;
}
const char* const kReadTip = "Legge tutti gli articoli (PLU) configurati nella cassa";
}

frmEllisseTest::frmEllisseTest(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmEllisseTest"));
    setWindowTitle(QStringLiteral("Ellisse - Test"));

    auto* cmdArticoli = named(new QPushButton(QStringLiteral("Leggi Articoli")), "cmdReadAll_Articoli", kReadTip);
    auto* cmdReparti = named(new QPushButton(QStringLiteral("Leggi Reparti")), "cmdReadAll_Reparti", kReadTip);
    m_lblProgr = named(new QLabel, "lblProgr");
    SerialConsolePanel::Look look;
    look.params = QStringLiteral("9600,E,7,1");
    look.sendTip
        = QStringLiteral("Impostare solo l'OPCODE (cioè tutto quello dopo l'STX) e i dati fino a EOT (escluso)");
    look.bottom = {{cmdArticoli, 0}, {cmdReparti, 0}, {m_lblProgr, 1}};
    m_panel = new SerialConsolePanel(look, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_panel);

    connect(m_panel, &SerialConsolePanel::openClicked, this, [this] { SetDevice(true); });
    connect(m_panel, &SerialConsolePanel::closeClicked, this, [this] { SetDevice(false); });
    connect(m_panel, &SerialConsolePanel::sendClicked, this, [this] { Send(); });
    connect(cmdArticoli, &QPushButton::clicked, this, [this] { ReadAll_Articoli(); });
    connect(cmdReparti, &QPushButton::clicked, this, [this] { ReadAll_Reparti(); });
    connect(m_panel, &SerialConsolePanel::clearClicked, &m_console, &EllisseConsole::ClearLog);
    connect(&m_console, &EllisseConsole::LogChanged, this, [this] { m_panel->SetLog(m_console.Log()); });
    connect(&m_console, &EllisseConsole::ProgressChanged, m_lblProgr, &QLabel::setText);

    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_console.ClearLog();
    resize(sizeHint().expandedTo(QSize(560, 420)));
}

void frmEllisseTest::run(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const AppError& e) {
        ui().msgBox(e.description, int(Msg::OKOnly) + int(Msg::Critical), g_strMsgTitle);
    }
}

void frmEllisseTest::SetDevice(bool open)
{
    run([&] {
        m_console.SetDevice(open, m_panel->Settings());
        m_panel->ShowPortOpen(open);
    });
}

void frmEllisseTest::Send()
{
    run([&] { m_console.Send(m_panel->SendText()); });
}

void frmEllisseTest::ReadAll_Articoli()
{
    run([&] { m_console.ReadAll_Articoli(); });
}

void frmEllisseTest::ReadAll_Reparti()
{
    run([&] { m_console.ReadAll_Reparti(); });
}

void frmEllisseTest::ShowModal(QWidget* owner)
{
    frmEllisseTest window(owner);
    window.runModal();
}

QString frmEllisseTest::answerPrompt() const
{
    QStringList captions;
    for (const QPushButton* b : findChildren<QPushButton*>()) captions << QString(b->text()).remove(u'&');
    return captions.join(QStringLiteral(", "));
}

void frmEllisseTest::applyAnswer(const QString& answer)
{
    QAbstractButton* button = answers::Button(*this, answer);
    if (!button) {
        reject();
        return;
    }
    if (answers::FillControls(*this, answer)) (void)answers::Press(*button);
}

MV_REGISTER_WINDOW(frmEllisseTest);
