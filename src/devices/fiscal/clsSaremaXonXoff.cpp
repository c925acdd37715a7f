#include "clsSaremaXonXoff.h"
#include "core/configuration/DeviceSettings.h"
#include "FiscalDescription.h"

#include <cstdlib>

namespace {
const QByteArray kClear = "K";   // opens a receipt, and voids one
const QByteArray kTotal = "1T";
const QByteArray kReturnPrefix = "9M";
constexpr int kAmountWidth = 8;
}

clsSaremaXonXoff::clsSaremaXonXoff()
    : SerialRegisterDriver(QStringLiteral("objMSCommSarema"), QStringLiteral("Sarema ECR (Xon/Xoff)"),
                           SerialFlowControl::XonXoff)
{ }

bool clsSaremaXonXoff::SendCmd(const QByteArray& command)
{
    // The register answers nothing, and holds the line with XOFF while it works. A key
    // sequence still held when the time-out runs out has not reached the register: that
    // is a failure, not a receipt printed.
    try {
        writeBytes(command);
        return m_comm->waitForWritten(settings().FiscalPrinterParam.Timout);
    } catch (const AppError&) {
        return false;
    }
}

void clsSaremaXonXoff::NewSession(int16_t decimals)
{
    beginSession(decimals);
    if (!SendCmd(kClear)) RaiseDriverError(kNewSessionCode, ConnectionErrorText());
}

void clsSaremaXonXoff::CancelSession()
{
    if (!SendCmd(kClear))
        RaiseDriverError(kCancelSessionCode, QStringLiteral("Errore di comunicazione in annullamento dello scontrino"));
}

void clsSaremaXonXoff::EndSession()
{
    if (!SendCmd(kTotal))
        RaiseDriverError(kEndSessionCode, QStringLiteral("Errore di comunicazione in chiusura dello scontrino"));
}

void clsSaremaXonXoff::SendData(Currency price, int16_t quantity, const QString& description, int16_t department)
{
    // Keeps its case and blanks: the register prints it as sent.
    const QString text
        = NormalizeDescription(description).left(std::max(0, settings().FiscalPrinterParam.DescriptionLen));
    // The register takes a return as its own key before the row; the row itself carries
    // plain positive numbers, so a negative price never goes out as a sale.
    const bool isReturn = price.sign() < 0 || quantity < 0;
    QByteArray command;
    if (isReturn) command += kReturnPrefix;
    command += '"' + text.toLatin1() + '"';
    command += QByteArray::number(std::abs(int(quantity)));
    command += '*';
    command += FormatAmount(price.abs(), kAmountWidth).toLatin1();
    command += 'H';
    command += QByteArray::number(department);
    command += 'R';
    if (!SendCmd(command))
        RaiseDriverError(kSendDataCode,
                         QStringLiteral("Errore di comunicazione in invio dei dati (reparto %1)").arg(department));
}

void clsSaremaXonXoff::SendMessage(const QString& text)
{
    if (!SendCmd('"' + text.toLatin1() + "\"@"))
        RaiseDriverError(kSendDataCode, QStringLiteral("Errore di comunicazione in invio messaggio"));
}

void clsSaremaXonXoff::SendDisplay(const QString& text)
{
    if (!SendCmd('"' + text.toLatin1() + "\"1%"))
        RaiseDriverError(kSendDataCode, QStringLiteral("Errore di comunicazione in invio display"));
}
