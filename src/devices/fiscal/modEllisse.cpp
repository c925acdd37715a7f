#include "modEllisse.h"
#include "core/configuration/DeviceSettings.h"
#include "core/serial/SerialLines.h"
#include "SerialRegisterDriver.h"

namespace {
// Silence that ends an answer which has not closed with ETX.
constexpr int kReplyGapMs = 100;
}

QByteArray EllBuildFrame(const QByteArray& text)
{
    unsigned sum = ctl::STX + ctl::EOT;
    for (const char c : text) sum += static_cast<unsigned char>(c);
    QByteArray frame;
    frame.reserve(text.size() + 5);
    frame += ctl::STX;
    frame += text;
    frame += ctl::EOT;
    frame += QByteArray::number(sum % 256, 16).toUpper().rightJustified(2, '0');
    frame += ctl::ETX;
    return frame;
}

QByteArray EllParseFrame(const QByteArray& data)
{
    const qsizetype stx = data.indexOf(ctl::STX);
    if (stx < 0) return {};
    const qsizetype etx = data.indexOf(ctl::ETX, stx);
    if (etx < 0) return {};
    const QByteArray frame = data.mid(stx, etx - stx + 1);
    const qsizetype eot = frame.indexOf(ctl::EOT);
    if (eot < 0 || eot != frame.size() - 4) return {};
    const QByteArray text = frame.mid(1, eot - 1);
    return EllBuildFrame(text) == frame ? text : QByteArray();
}

bool EllSendCommand(const QByteArray& text, SerialChannel& comm, QByteArray& replies)
{
    ClearCommInput(comm);
    comm.write(EllBuildFrame(text));
    return EllReadReply(comm, replies, false);
}

bool EllReadReply(SerialChannel& comm, QByteArray& replies, bool acknowledge)
{
    replies.clear();
    // ACK and NAK are whole answers by themselves: a two-phase record's result may follow
    // at once, and is the next answer, not part of this one.
    const auto answer
        = ReadRegisterAnswer(comm, settings().FiscalPrinterParam.Timout, kReplyGapMs, [](const QByteArray& b) {
              if (b.front() == ctl::ACK || b.front() == ctl::NAK) return qsizetype(1);
              return b.endsWith(ctl::ETX) ? b.size() : qsizetype(0);
          });
    if (!answer) return false;
    const QByteArray& buffer = *answer;
    switch (buffer.front()) {
    case ctl::ACK: return true;
    case ctl::NAK: return false;
    case ctl::STX: break;
    default: ClearCommInput(comm); return false;
    }
    if (!buffer.endsWith(ctl::ETX)) return false;

    bool accepted = false;
    QByteArray rest = buffer;
    for (;;) {
        const QByteArray text = EllParseFrame(rest);
        if (text.size() < 3) break;
        if (!replies.isEmpty()) replies += "\r\n";
        replies += text;
        if (text.at(2) == '0') accepted = true;
        const qsizetype etx = rest.indexOf(ctl::ETX);
        if (etx < 0) break;
        rest = rest.mid(etx + 1);
        if (!rest.contains(ctl::ETX)) break;
    }
    if (acknowledge) comm.write(EllBuildFrame(replies.left(2) + '0'));
    return accepted;
}

bool EllSendCommandEx(const QByteArray& text, SerialChannel& comm, QByteArray& replies)
{
    if (!EllSendCommand(text, comm, replies)) return false;
    if (text.left(2) < QByteArrayView("70")) return true;
    if (!EllReadReply(comm, replies, true)) return false;
    return EllSendCommand("000", comm, replies);
}
