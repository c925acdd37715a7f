#include "clsCRF4600.h"
#include "core/configuration/DeviceSettings.h"
#include "FiscalDescription.h"
#include "core/serial/SerialLines.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {
const QByteArray kOpenPrinter = "t!1";
const QByteArray kClosePrinter = "t!0";   // also voids the receipt
const QByteArray kSelectReceipt = "p!3";
const QByteArray kSaleReceipt = "q!0";
const QByteArray kReturnReceipt = "q!1";
const QByteArray kTotal = "q\"50 ";
const QByteArray kLine = "q\"10!1";
constexpr int kEmptyFieldsBeforeDescription = 6;
}

clsCRF4600::clsCRF4600() : SerialRegisterDriver(QStringLiteral("objMSCommCRF"), QStringLiteral("Olivetti CRF 4600")) { }

QByteArray clsCRF4600::Field(const QByteArray& text) { return char(32 + text.size()) + text; }

QByteArray clsCRF4600::AmountText(Currency value)
{
    QByteArray text = value.abs().toString().toLatin1();
    if (text.startsWith("0.")) text.remove(0, 1);
    return text;
}

QByteArray clsCRF4600::LineCommand(Currency roundedPrice, int quantity, const QString& description,
                                   int descriptionLength)
{
    QByteArray line = kLine;
    line += Field(AmountText(roundedPrice));
    line += Field(QByteArray::number(std::abs(quantity)));
    if (!description.isEmpty()) {
        line += QByteArray(kEmptyFieldsBeforeDescription, ' ');
        const QString text
            = CleanDescription(description, descriptionLength).leftJustified(std::max(0, descriptionLength), u' ');
        line += Field(text.toLatin1());
    }
    return line;
}

bool clsCRF4600::CrfSendCommand(const QByteArray& command)
{
    ClearCommInput(*m_comm);
    // The register needs its pause between commands; nothing else may run meanwhile.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(0, settings().FiscalPrinterParam.CommandWait)));
    writeBytes(ctl::STX + command + ctl::ETX);

    const auto reply
        = ReadRegisterReply(*m_comm, settings().FiscalPrinterParam.Timout, settings().FiscalPrinterParam.CommandWait,
                            [](const QByteArray& r) { return r.endsWith(ctl::ETX); });
    if (!reply) return false;
    const char first = reply->front();
    if (first == ctl::ACK || first == ctl::STX) {
        const char last = reply->back();
        if (last != ctl::ETX && last != ctl::ACK) return false;
        writeBytes(QByteArray(1, ctl::ACK));
        return true;
    }
    if (first == ctl::NAK) {
        ui().beep();
        return false;
    }
    ClearCommInput(*m_comm);
    return false;
}

bool clsCRF4600::CrfOpenReceipt(bool returnMode)
{
    if (!CrfSendCommand(kOpenPrinter) || !CrfSendCommand(kSelectReceipt)) return false;
    m_returnMode = returnMode;
    return CrfSendCommand(returnMode ? kReturnReceipt : kSaleReceipt);
}

bool clsCRF4600::CrfCloseReceipt() { return CrfSendCommand(kTotal) && CrfSendCommand(kClosePrinter); }

bool clsCRF4600::CrfCancelReceipt() { return CrfSendCommand(kClosePrinter); }

bool clsCRF4600::CrfSendItem(Currency price, int16_t quantity, const QString& description)
{
    const bool isReturn = price.sign() < 0 || quantity < 0;
    if (isReturn != m_returnMode) {
        if (!CrfCloseReceipt() || !CrfOpenReceipt(isReturn)) return false;
    }
    return CrfSendCommand(LineCommand(RoundCurrency(price, decimals()), quantity, description,
                                      settings().FiscalPrinterParam.DescriptionLen));
}

void clsCRF4600::NewSession(int16_t decimals)
{
    beginSession(decimals);
    m_returnMode = false;
    if (!CrfOpenReceipt(false)) RaiseDriverError(kNewSessionCode, ConnectionErrorText());
}

void clsCRF4600::EndSession()
{
    if (!CrfCloseReceipt())
        RaiseDriverError(kEndSessionCode, QStringLiteral("Errore di comunicazione in chiusura dello scontrino"));
}

void clsCRF4600::CancelSession()
{
    if (!CrfCancelReceipt())
        RaiseDriverError(kCancelSessionCode, QStringLiteral("Errore di comunicazione in annullamento dello scontrino"));
}

void clsCRF4600::SendData(Currency price, int16_t quantity, const QString& description, int16_t)
{
    // The department is the register's own business on this model.
    if (!CrfSendItem(price, quantity, description))
        RaiseDriverError(kSendDataCode, QStringLiteral("Errore di comunicazione in invio dei dati"));
}
