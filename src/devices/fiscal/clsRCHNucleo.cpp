#include "clsRCHNucleo.h"
#include "core/configuration/DeviceSettings.h"
#include "FiscalDescription.h"

#include <cstdlib>

namespace {
// A receipt the register reports closed with this pair of codes is closed all the same.
constexpr int32_t kClosedResult = 114;
constexpr int32_t kClosedResultExtended = 207;

// The port as the component takes it: the number with a blank where a sign would stand.
QString portText(int port) { return port < 0 ? QString::number(port) : u' ' + QString::number(port); }
}

clsRCHNucleo::clsRCHNucleo() : m_comm(createRchNucleoComponent(QStringLiteral("RCH Nucleo"))) { }

QString clsRCHNucleo::FiscalPrinterDescription() const { return m_comm->DeviceDescription(); }

QString clsRCHNucleo::ErrorText(int32_t code, const QString& message)
{
    QString text = QStringLiteral("Errore N.%1 (%2)").arg(code).arg(QString::number(uint32_t(code), 16).toUpper());
    if (!message.isEmpty()) text += QStringLiteral("\r\r") + message;
    return text;
}

void clsRCHNucleo::RaiseDriverError(int32_t code, const QString& message) const
{
    throw AppError::object(code, FiscalPrinterDescription(), ErrorText(code, message));
}

void clsRCHNucleo::SetParameters(const QVariantList& params)
{
    if (params.isEmpty()) throw AppError(9, FiscalPrinterDescription(), QStringLiteral("Subscript out of range"));
    m_comm->RCHClose();
    m_port = params.at(0).toInt();
}

void clsRCHNucleo::NewSession(int16_t decimals)
{
    m_decimals = decimals;
    m_openResult = m_comm->RCHOpen(portText(m_port));
    if (m_openResult != 0) RaiseDriverError(m_openResult, QString());
    m_comm->setAsyncMode(false);
    if (m_comm->BeginFiscalReceipt(true) != 0)
        RaiseDriverError(m_comm->ResultCode(), QStringLiteral("Apertura dello scontrino"));
}

void clsRCHNucleo::SendData(Currency price, int16_t quantity, const QString& description, int16_t)
{
    const QString cleaned = CleanDescription(description, settings().FiscalPrinterParam.DescriptionLen);
    const Currency unitPrice = price.abs();
    if (quantity < 0 || price.sign() < 0) {
        if (m_comm->PrintRecRefund(cleaned, unitPrice.times(std::abs(int(quantity)))) != 0)
            RaiseDriverError(m_comm->ResultCode(), QStringLiteral("Invio del Reso"));
        return;
    }
    if (m_comm->PrintRecItem(cleaned, unitPrice.times(quantity), quantity, 0, unitPrice) != 0)
        RaiseDriverError(m_comm->ResultCode(), QStringLiteral("Invio descrizione"));
}

void clsRCHNucleo::EndSession()
{
    if (m_comm->PrintRecTotal(0, 0, QString()) != 0)
        RaiseDriverError(m_comm->ResultCode(), QStringLiteral("Totale scontrino"));
    if (m_comm->EndFiscalReceipt(false) != 0
        && !(m_comm->ResultCode() == kClosedResult && m_comm->ResultCodeExtended() == kClosedResultExtended))
        RaiseDriverError(m_comm->ResultCode(), QStringLiteral("Chiusura dello scontrino"));
    m_comm->RCHClose();
}

void clsRCHNucleo::CancelSession()
{
    if (m_comm->PrintRecVoid() != 0) RaiseDriverError(m_comm->ResultCode(), QStringLiteral("Annullamento scontrino"));
    m_comm->RCHClose();
}
