#pragma once
// The scale's test console "Omega Net - Test": a technician opens a port with settings of
// his own, sends a framed text and watches the data of the frames that come back. The
// work is BalanceConsole's; the window reads its fields and shows the log.
#include "BalanceConsole.h"
#include <QWidget>

class SerialConsolePanel;

class frmBalanceTest : public QWidget {
    Q_OBJECT
public:
    explicit frmBalanceTest(QWidget* parent = nullptr);

    // Opens (true) or closes the port with the window's settings; a failure is shown.
    void SetBalance(bool open);
    void Send();
    BalanceConsole& Console() { return m_console; }

private:
    BalanceConsole m_console;
    SerialConsolePanel* m_panel = nullptr;
};
