#pragma once
// What every register driver that owns a serial line shares: the line and its set-up, the
// session's decimals, reply waits bounded by the register settings, the error convention
// and the amount conversion. A family adds its framing and its commands.
#include "core/serial/SerialChannel.h"
#include "itfFiscalPrinter.h"
#include <QByteArray>
#include <functional>
#include <memory>
#include <optional>

// Control bytes the register protocols share.
namespace ctl {
constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char EOT = 0x04;
constexpr char ACK = 0x06;
constexpr char CR = 0x0D;
constexpr char NAK = 0x15;
}

// `value` rounded half up to `decimals` places (exact on the currency's four decimals),
// in units of the last place: 1.005 with 2 decimals is 101. Decimals below 0 count as 0.
qint64 AmountInMinorUnits(Currency value, int decimals);
// AmountInMinorUnits as plain digits, zero-padded to `width` (a minus sign stays in front,
// as "-00000120").
QString FormatAmount(Currency value, int decimals, int width = 0);

// Reads one reply: waits for its first byte, then reads on until `complete` accepts what
// has come or nothing more arrives for `gapMs`. `timeoutMs` bounds the whole reply, not
// only its first byte: a reply not over by then (nothing came, or the line kept sending
// without completing it) gives nullopt, as silence does. Otherwise what came, whole or not.
// The event loop runs meanwhile. Errors of the line itself (a closed or vanished port)
// reach the caller.
std::optional<QByteArray> ReadRegisterReply(SerialChannel& comm, int timeoutMs, int gapMs,
                                            const std::function<bool(const QByteArray&)>& complete);
// The same, for answers that may be followed at once by the next one: `replyLength` gives
// the length of the whole answer at the front of what has come (0 while incomplete). What
// follows it stays with the channel, unread, for the next call (ClearCommInput drops it).
std::optional<QByteArray> ReadRegisterAnswer(SerialChannel& comm, int timeoutMs, int gapMs,
                                             const std::function<qsizetype(const QByteArray&)>& replyLength);

class SerialRegisterDriver : public itfFiscalPrinter {
public:
    ~SerialRegisterDriver() override;
    SerialRegisterDriver(const SerialRegisterDriver&) = delete;
    SerialRegisterDriver& operator=(const SerialRegisterDriver&) = delete;

    QString FiscalPrinterDescription() const override { return m_description; }
    // (0) port number, (1) line settings text: the line is reopened with them, so it is
    // open from here on. A port that cannot be opened raises the line's own error.
    void SetParameters(const QVariantList& params) override;
    // Most registers have neither a message line nor a display.
    void SendMessage(const QString&) override { }
    void SendDisplay(const QString&) override { }

    SerialChannel& comm() { return *m_comm; }
    SerialChannel* Line() override { return m_comm.get(); }

protected:
    // `controlName` names the line in diagnostics; the line starts with DTR on, RTS off and
    // the given flow control.
    SerialRegisterDriver(const QString& controlName, const QString& description,
                         SerialFlowControl flow = SerialFlowControl::None);

    // The first steps of every NewSession: keep the decimals, open the line if it was
    // closed, drop whatever the register sent before.
    void beginSession(int16_t decimals);
    int16_t decimals() const { return m_decimals; }
    QString FormatAmount(Currency value, int width = 0) const { return ::FormatAmount(value, m_decimals, width); }

    [[noreturn]] void RaiseDriverError(int32_t code, const QString& message) const;
    // "Errore di comunicazione con il registratore di cassa (COM<n>-<settings>" + closing.
    QString ConnectionErrorText(const QString& closing = QStringLiteral(")")) const;

    // Writes in one piece.
    void writeBytes(const QByteArray& bytes);

    std::unique_ptr<SerialChannel> m_comm;

private:
    QString m_description;
    int16_t m_decimals = 0;
};
