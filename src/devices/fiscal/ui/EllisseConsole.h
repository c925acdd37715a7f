#pragma once
// The ELLISSE register's test console without its window: a port opened with the
// technician's own settings, one command typed by hand and its exchange logged, the
// register's article (PLU) and department tables read into the log, and the frames the
// register sends on its own answered.
#include "core/serial/ConsolePort.h"
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class SerialChannel;

class EllisseConsole : public QObject {
    Q_OBJECT
public:
    using PortSettings = ConsolePortSettings;
    // Each record's fields, with their widths, as the log lists them.
    static const QStringList& PluFields();
    static const QStringList& DepartmentFields();
    // The command that reads record `number` of a table: "020" and five digits.
    static QByteArray ReadCommand(int number);

    // An unset time-out (0) becomes 5000 ms for the session, not in the stored settings.
    EllisseConsole();
    ~EllisseConsole() override;

    // Opens the port with `settings` (closing it first), or closes it; then empties its
    // input. Raises the port's AppError; the console then counts as not listening.
    void SetDevice(bool open, const PortSettings& settings);
    bool Listening() const { return m_listening; }
    // Sends the command text (without framing) and logs the exchange; codes above "70"
    // also get the register's result read, acknowledged and the exchange closed with "000".
    // Errors of the port reach the caller.
    void Send(const QString& text);
    // The article table: asks how many PLUs to read, then reads from 1 up, stopping at
    // the first PLU without a bar code. The department table: asks for confirmation, then
    // reads departments 2 to 20. Errors of the port reach the caller.
    void ReadAll_Articoli();
    void ReadAll_Reparti();

    QString Log() const { return m_log; }
    void ClearLog();
    QString ProgressText() const { return m_progress; }
    SerialChannel& Channel() { return *m_comm; }

signals:
    void LogChanged();
    void ProgressChanged(const QString& text);

private:
    void OnComm();
    void append(const QString& line);   // one log line, CR LF added
    void setProgress(const QString& text);
    // Reads records `first`..`last`; `moreStatus` is a status besides "0" that goes on,
    // `stopOnBlankBarcode` ends at the first record whose bar code is zero.
    void readTable(int first, int last, char moreStatus, bool stopOnBlankBarcode);

    std::unique_ptr<SerialChannel> m_comm;
    bool m_listening = false;
    bool m_busy = false;
    QString m_log;
    QString m_progress;
};
