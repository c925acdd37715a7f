#pragma once
// The serial part shared by the card readers/writers that speak the escape-command
// protocol: the port, the commands, the wait for a reply and the serial handler that
// turns a reply into a status and, for operations started without waiting, into a
// completion event. The models differ in their read and write commands and in how a
// card's text travels (text or packed raw bits): see clsMSR106 and clsMSR206HL.
#include "itfMagneticCard.h"
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <memory>

class SerialChannel;

class EscapeCardDriver : public QObject, public itfMagneticCard {
    Q_OBJECT
public:
    static constexpr char ESC = 27;
    static constexpr char FS = 28;
    // A waited operation gives up after this long without a status.
    static constexpr int kReplyTimeoutMs = 3000;
    // Every command is followed by this pause, in which nothing else runs.
    static constexpr int kCommandPauseMs = 200;
    // A reply is complete after this long without a new byte.
    static constexpr int kReplyQuietMs = 200;

    // The operation whose reply is awaited.
    enum Operation : int16_t { None = 0, Read = 1, Write = 2, Erase = 3, AnsweredY = 4, BitsPerCharacter = 5 };

    ~EscapeCardDriver() override;

    void NewSession(clsMagneticCardEvents* events) override;
    void EndSession() override;
    void CancelSession() override;
    void EraseCard(bool wait) override;
    void WriteData(const QString& data1, const QString& data2, bool reverse, bool wait) override;
    void ReadData(bool wait, bool reverse, QString& data1, QString& data2) override;
    void SetParameters(const QVariantList& params) override;
    bool SupportWrite() const override { return true; }

    // Data1 alone when Data2 is empty, else Data1, a blank, Data2.
    static QString JoinCardData(const QString& data1, const QString& data2);
    // Splits at the first blank, after reversing the text when `reverse`.
    static void SplitText(QString text, bool reverse, QString& data1, QString& data2);

    SerialChannel& Channel() { return *m_comm; }
    // The state the serial handler left.
    QString LastStatus() const { return m_status; }
    bool LastStatusOk() const { return m_statusOk; }

protected:
    EscapeCardDriver();

    // The model's read and write commands (the letter after ESC).
    virtual QByteArray ReadCommand() const = 0;
    virtual QByteArray WriteCommand() const = 0;
    // What follows the write command for a card text (already joined and reversed).
    virtual QByteArray DataBlock(const QString& cardText) const = 0;
    // The card's texts in the data part of a read reply.
    virtual void SplitReadData(const QByteArray& dataPart, bool reverse, QString& data1, QString& data2) const = 0;
    // How many parameters SetParameters needs, and what the model keeps of the rest.
    virtual int ParameterCount() const { return 2; }
    virtual void KeepExtraParameters(const QVariantList& params) { (void)params; }

    // ESC, the command, and the data block when one is given; then the pause.
    void SendDeviceCommand(const QByteArray& command, const QByteArray& block = QByteArray());
    // Arms `operation` and, with `wait`, waits for its status (time-out: the operation's error).
    void WaitDeviceReply(Operation operation, bool wait, bool reverse = false);
    [[noreturn]] void RaiseDeviceError(int code, const QString& message) const;
    void OpenAndReset(clsMagneticCardEvents* events);
    // The status character's text for a message: its last character.
    QString StatusCode() const { return m_status.right(1); }

private:
    void OnComm();
    void HandleReply(const QByteArray& reply);

    std::unique_ptr<SerialChannel> m_comm;
    QPointer<clsMagneticCardEvents> m_events;
    Operation m_pending = None;
    bool m_statusOk = false;
    QString m_status;
    QString m_data1;
    QString m_data2;
    bool m_background = false;
    bool m_reverse = false;
    bool m_inEvent = false;
};
