#include "clsOmegaSAX.h"
#include "core/configuration/DeviceSettings.h"
#include "FiscalDescription.h"
#include "core/serial/SerialLines.h"

#include <algorithm>
#include <cstdlib>

namespace {
const QByteArray kResetCounter = "F";
const QByteArray kOpenOrVoid = "N";   // the register voids an open receipt by opening anew
const QByteArray kTotal = "T 0        0";
constexpr char kSaleKey = 'R';
constexpr char kReturnKey = 'r';
constexpr int kDescriptionWidth = 15;
constexpr int kAmountWidth = 8;
constexpr int kLastDepartment = 99;
constexpr int kReplyGapMs = 100;
}

QByteArray SaxBuildFrame(const QByteArray& command)
{
    unsigned char check = ctl::STX;
    for (const char c : command) check ^= static_cast<unsigned char>(c);
    return ctl::STX + command + QByteArray::number(check, 16).toUpper() + ctl::ETX;
}

clsOmegaSAX::clsOmegaSAX() : SerialRegisterDriver(QStringLiteral("objMSCommSAX"), QStringLiteral("Omega SAX")) { }

QByteArray clsOmegaSAX::SaxNumberCommand(const QByteArray& command)
{
    return QByteArray::number(m_sequence++).rightJustified(3, '0') + command;
}

bool clsOmegaSAX::SaxSendCommand(const QByteArray& command)
{
    ClearCommInput(*m_comm);
    writeBytes(SaxBuildFrame(command));
    return SaxReadReply();
}

bool clsOmegaSAX::SaxReadReply()
{
    const auto reply = ReadRegisterReply(*m_comm, settings().FiscalPrinterParam.Timout, kReplyGapMs,
                                         [](const QByteArray& r) { return r.endsWith(ctl::ETX); });
    if (!reply) return false;
    switch (reply->front()) {
    case ctl::ACK: return true;
    case ctl::NAK:
    case ctl::CR: return false;
    default: ClearCommInput(*m_comm); return false;
    }
}

void clsOmegaSAX::NewSession(int16_t decimals)
{
    beginSession(decimals);
    if (!SaxSendCommand(kResetCounter))
        RaiseDriverError(kNewSessionCode, ConnectionErrorText(QStringLiteral(") - azzeramento free conunter")));
    m_sequence = 0;
    if (!SaxSendCommand(SaxNumberCommand(kOpenOrVoid))) RaiseDriverError(kNewSessionCode, ConnectionErrorText());
}

void clsOmegaSAX::CancelSession()
{
    if (!SaxSendCommand(SaxNumberCommand(kOpenOrVoid)))
        RaiseDriverError(kCancelSessionCode, QStringLiteral("Errore di comunicazione in annullamento dello scontrino"));
}

void clsOmegaSAX::EndSession()
{
    if (!SaxSendCommand(SaxNumberCommand(kTotal)))
        RaiseDriverError(kEndSessionCode, QStringLiteral("Errore di comunicazione in chiusura dello scontrino"));
}

void clsOmegaSAX::SendData(Currency price, int16_t quantity, const QString& description, int16_t department)
{
    // The department has two places before the description: a longer one would shift the
    // description and be read as another department. Nothing is sent (nor numbered) then.
    if (department < 0 || department > kLastDepartment)
        RaiseDriverError(kSendDataCode,
                         QStringLiteral("Reparto %1 non gestito dal registratore di cassa (reparti da 0 a %2)")
                             .arg(department)
                             .arg(kLastDepartment));
    const int width = std::min(settings().FiscalPrinterParam.DescriptionLen, kDescriptionWidth);
    const QByteArray text = CleanDescription(description, width).leftJustified(kDescriptionWidth, u' ').toLatin1();
    const bool isReturn = price.sign() < 0 || quantity < 0;
    QByteArray command;
    command += isReturn ? kReturnKey : kSaleKey;
    command += QByteArray::number(department).rightJustified(2, '0');
    command += text;
    command += FormatAmount(price.abs().times(std::abs(int(quantity))), kAmountWidth).toLatin1();
    if (!SaxSendCommand(SaxNumberCommand(command)))
        RaiseDriverError(kSendDataCode,
                         QStringLiteral("Errore di comunicazione in invio dei dati (reparto %1)").arg(department));
}
