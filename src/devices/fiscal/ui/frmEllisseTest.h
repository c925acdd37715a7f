#pragma once
// The ELLISSE register's test console "Ellisse - Test": a technician opens a port with
// settings of his own, sends a command typed by hand, reads the register's article and
// department tables, and watches the frames the register sends on its own. The work is
// EllisseConsole's; the window reads its fields and shows the log.
#include "EllisseConsole.h"
#include "widgets/ModalDialog.h"

class QLabel;
class SerialConsolePanel;

class frmEllisseTest : public ModalDialog {
    Q_OBJECT
public:
    explicit frmEllisseTest(QWidget* parent = nullptr);

    // Opens (true) or closes the port with the window's settings; a failure is shown.
    void SetDevice(bool open);
    void Send();
    void ReadAll_Articoli();
    void ReadAll_Reparti();
    EllisseConsole& Console() { return m_console; }

    // Shows the window modally over the owner.
    static void ShowModal(QWidget* owner);

    // An answer line names a button to press ("Apri", "Invia", ...), after the controls its
    // name=value pairs name (AnswerControls.h) are set, and the window stays for the next
    // line; any other line closes it.
    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

private:
    // Runs one of the console's operations; an error of the port ends it with a message.
    void run(const std::function<void()>& operation);

    EllisseConsole m_console;
    SerialConsolePanel* m_panel = nullptr;
    QLabel* m_lblProgr = nullptr;
};
