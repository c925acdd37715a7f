#include "clsMSR206HL.h"
#include "base/AppError.h"
#include "core/serial/SerialChannel.h"
#include "Track1.h"

namespace {
const QString kStart = QStringLiteral("%");
const QString kEnd = QStringLiteral("?");
// The length byte of a raw block counts the packed bytes.
constexpr int kMaxPackedBytes = 255;
}

void clsMSR206HL::NewSession(clsMagneticCardEvents* events)
{
    OpenAndReset(events);
    SendDeviceCommand(m_lowCoercivity ? "y" : "x");
    WaitDeviceReply(Write, true);
    if (!LastStatusOk())
        RaiseDeviceError(2,
                         (m_lowCoercivity ? QStringLiteral("Impostazione bassa coercività non riuscita, codice ")
                                          : QStringLiteral("Impostazione alta coercività non riuscita, codice "))
                             + StatusCode());
    SendDeviceCommand(QByteArray("o\x08\x08\x08"));
    WaitDeviceReply(BitsPerCharacter, true);
    if (!LastStatusOk())
        RaiseDeviceError(2, QStringLiteral("Impostazione 8 bit traccia 1 non riuscita, codice ") + StatusCode());
}

void clsMSR206HL::EndSession()
{
    if (Channel().isOpen()) SendDeviceCommand("a");
}

void clsMSR206HL::CancelSession()
{
    if (Channel().isOpen()) SendDeviceCommand("a");
}

QByteArray clsMSR206HL::DataBlock(const QString& cardText) const
{
    const QByteArray packed = AsciiToHexForTrack1(cardText, kStart, kEnd);
    // A longer track would not fit the length byte: the card would get a wrong length.
    if (packed.size() > kMaxPackedBytes)
        RaiseDeviceError(
            2, QStringLiteral("Testo troppo lungo per la traccia 1 della carta (%1 caratteri)").arg(cardText.size()));
    // Tracks 2 and 3 go empty.
    QByteArray block;
    block += ESC;
    block += 's';
    block += ESC;
    block += '\x01';
    block += char(packed.size());
    block += packed;
    block += ESC;
    block += '\x02';
    block += '\0';
    block += ESC;
    block += '\x03';
    block += '\0';
    block += '?';
    block += FS;
    return block;
}

void clsMSR206HL::SplitRawCardData(const QByteArray& data, QString& data1, QString& data2, bool reverse)
{
    data1.clear();
    data2.clear();
    if (!data.startsWith(QByteArray(1, ESC) + '\x01') || data.size() < 3) return;
    const int length = static_cast<unsigned char>(data.at(2));
    if (length == 0) return;
    SplitText(HexToAsciiFromTrack1(data.mid(3, length), kStart, kEnd), reverse, data1, data2);
}
