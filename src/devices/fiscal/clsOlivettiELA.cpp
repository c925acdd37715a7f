#include "clsOlivettiELA.h"
#include "core/configuration/DeviceSettings.h"
#include "FiscalDescription.h"
#include "core/helpers/SystemHelpers.h"

#include <cstdlib>

namespace {
const QString kDescription = QStringLiteral("OLIVETTI (protocollo ELA)");
constexpr int16_t kDeviceTimeoutMs = 3000;
}

clsOlivettiELA::clsOlivettiELA()
    : m_fiscal(createElaFiscalComponent(kDescription)), m_line(createElaLineComponent(kDescription))
{ }

QString clsOlivettiELA::FormatAmount(Currency value, int decimals)
{
    // Fixed: the register reads a comma, and the workstation's language must not change
    // what goes on the receipt.
    return RoundCurrency(value, std::max(0, decimals)).toString().replace(u'.', u',');
}

QString clsOlivettiELA::ElaResultText(int32_t code)
{
    return code == 0 ? QStringLiteral("OK") : QStringLiteral("Errore %1").arg(code);
}

void clsOlivettiELA::RaiseDriverError(int32_t code) const
{
    throw AppError::object(code, FiscalPrinterDescription(), ElaResultText(code));
}

void clsOlivettiELA::SetParameters(const QVariantList& params)
{
    if (params.size() < 2) throw AppError(9, FiscalPrinterDescription(), QStringLiteral("Subscript out of range"));
    if (m_line->CommOpen()) m_line->setCommOpen(false);
    m_line->setCommPort(params.at(0).toInt());
    m_line->setCommSettings(params.at(1).toString());
    m_line->setHwHandshaking(true);
    m_fiscal->setStampaDifferita(false);
    m_fiscal->setTimeout(kDeviceTimeoutMs);
}

void clsOlivettiELA::NewSession(int16_t decimals)
{
    m_decimals = decimals;
    m_line->setCommOpen(true);
    int32_t result = m_fiscal->DevOpen(*m_line);
    if (result == 0) result = m_fiscal->Fisc_Apertura();
    if (result != 0) RaiseDriverError(result);
}

void clsOlivettiELA::SendData(Currency price, int16_t quantity, const QString& description, int16_t)
{
    const QString cleaned = CleanDescription(description, settings().FiscalPrinterParam.DescriptionLen);
    const bool isReturn = quantity < 0 || price.sign() < 0;
    const QString amount = isReturn ? u'-' + FormatAmount(price.abs().times(std::abs(int(quantity))), m_decimals)
                                    : FormatAmount(price.abs().times(quantity), m_decimals);
    if (const int32_t result = m_fiscal->Vendita(amount, cleaned, QString()); result != 0) RaiseDriverError(result);
}

void clsOlivettiELA::EndSession()
{
    if (const int32_t result = m_fiscal->Pagamento(QString(), QString()); result != 0) RaiseDriverError(result);
    // Once the payment is taken the receipt stands: the closing's answer is not a failure
    // of it, and the device is closed after it either way.
    (void)m_fiscal->Fisc_Chiusura();
    m_fiscal->DevClose();
}

void clsOlivettiELA::CancelSession()
{
    if (const int32_t result = m_fiscal->Fisc_Annullamento(); result != 0) RaiseDriverError(result);
    // The device the receipt was opened on, as EndSession closes it.
    m_fiscal->DevClose();
}
