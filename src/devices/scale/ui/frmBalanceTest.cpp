#include "frmBalanceTest.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "dialogs/FormUtilities.h"
#include "dialogs/SerialConsolePanel.h"
#include "base/UiServices.h"
#include "dialogs/WindowRegistry.h"
#include <QVBoxLayout>

frmBalanceTest::frmBalanceTest(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmBalanceTest"));
    setWindowTitle(QStringLiteral("Omega Net - Test"));

    SerialConsolePanel::Look look;
    look.params = QStringLiteral("19200,n,8,1");
    look.rtsFirst = true;
    m_panel = new SerialConsolePanel(look, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_panel);

    connect(m_panel, &SerialConsolePanel::openClicked, this, [this] { SetBalance(true); });
    connect(m_panel, &SerialConsolePanel::closeClicked, this, [this] { SetBalance(false); });
    connect(m_panel, &SerialConsolePanel::sendClicked, this, [this] { Send(); });
    connect(m_panel, &SerialConsolePanel::clearClicked, m_panel, &SerialConsolePanel::ClearLog);
    connect(&m_console, &BalanceConsole::Logged, m_panel, &SerialConsolePanel::AppendLog);

    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    resize(sizeHint().expandedTo(QSize(480, 360)));
}

void frmBalanceTest::SetBalance(bool open)
{
    try {
        m_console.SetBalance(open, m_panel->Settings());
        m_panel->ShowPortOpen(open);
    } catch (const AppError& e) {
        ui().msgBox(BalanceConsole::PortErrorMessage(m_panel->Settings(), e.description),
                    int(Msg::OKOnly) + int(Msg::Critical), g_strMsgTitle);
        m_panel->ShowPortFailed();
    }
}

void frmBalanceTest::Send()
{
    try {
        m_console.Send(m_panel->SendText());
    } catch (const AppError& e) {
        ui().msgBox(e.description, int(Msg::OKOnly) + int(Msg::Critical), g_strMsgTitle);
    }
}

MV_REGISTER_WINDOW(frmBalanceTest);
