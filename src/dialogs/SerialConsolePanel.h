#pragma once
// The body of a device's test console window: the communication frame (port, parameters,
// DTR, RTS, RTS handshaking, Open and Close), the line to send with its button, the
// exchange log and, under it, the console's own buttons and Clear. The window around it
// connects the buttons to its console and shows the console's log here.
#include "core/serial/ConsolePort.h"
#include <QWidget>
#include <vector>

class QCheckBox;
class QHBoxLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class SerialConsolePanel : public QWidget {
    Q_OBJECT
public:
    struct Look {
        QString params;   // the parameters the box starts with
        bool rtsFirst = false;   // RTS listed above DTR
        QString sendTip;   // the send line's tool tip
        // Put on the bottom row before Clear, in this order (widget, stretch).
        std::vector<std::pair<QWidget*, int>> bottom;
    };
    SerialConsolePanel(const Look& look, QWidget* parent);

    ConsolePortSettings Settings() const;
    QString SendText() const;
    // Open enabled while the port is closed, Close while it is open; both after a failure.
    void ShowPortOpen(bool open);
    void ShowPortFailed();
    // The log, its CR LF line ends shown as line breaks: all of it, or a piece added at its end.
    void SetLog(const QString& text);
    void AppendLog(const QString& text);
    void ClearLog();

signals:
    void openClicked();
    void closeClicked();
    void sendClicked();
    void clearClicked();

private:
    QLineEdit* m_txtCOM = nullptr;
    QLineEdit* m_txtParam = nullptr;
    QCheckBox* m_chkDTR = nullptr;
    QCheckBox* m_chkRTS = nullptr;
    QCheckBox* m_chkHandRTS = nullptr;
    QPushButton* m_cmdOpen = nullptr;
    QPushButton* m_cmdClose = nullptr;
    QLineEdit* m_txtSend = nullptr;
    QPlainTextEdit* m_txtResult = nullptr;
};
