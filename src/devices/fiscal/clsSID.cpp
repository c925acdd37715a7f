#include "clsSID.h"
#include "core/configuration/DeviceSettings.h"
#include "FiscalDescription.h"

#include <limits>

namespace {
const QString kProgram = QStringLiteral("Sidcomm95");
}

clsSID::clsSID() : m_link(createSidDdeLink(QStringLiteral("SID Smart"))) { }

QString clsSID::SidFormatPrice(Currency price)
{
    QString text = price.abs().toString();
    if (text.startsWith(QStringLiteral("0."))) text.remove(0, 1);
    if (price.sign() < 0) text.prepend(u'-');
    if (text.startsWith(u'.')) text.prepend(u'0');
    return text;
}

QString clsSID::RowCommand(Currency price, int quantity, const QString& cleanedDescription, int department)
{
    return QStringLiteral("Plu,%1,%2,%3,%4")
        .arg(cleanedDescription, SidFormatPrice(price))
        .arg(department)
        .arg(quantity);
}

void clsSID::RaiseDriverError(int32_t code, const QString& message) const
{
    // The link's own errors are small numbers and go over the base; a number already
    // below it, or one that would not fit over it, is raised as it is.
    const int64_t over = int64_t(AppError::kObjectErrorBase) + code;
    const bool fits = code >= AppError::kObjectErrorBase && over >= std::numeric_limits<int32_t>::min()
        && over <= std::numeric_limits<int32_t>::max();
    throw AppError(fits ? int32_t(over) : code, FiscalPrinterDescription(), DriverErrorText(code, message));
}

void clsSID::RaisePending(const QString& message) const
{
    const int32_t code = m_pending ? m_pending->number : 0;
    const QString reason = m_pending ? m_pending->description : QString();
    RaiseDriverError(code, message + QStringLiteral("\r(") + reason + u')');
}

bool clsSID::SidDdeExecute(const QString& command)
{
    m_pending.reset();
    try {
        m_link->Execute(u'[' + command + u']');
        return true;
    } catch (const AppError& e) {
        m_pending = e;
        return false;
    }
}

void clsSID::NewSession(int16_t decimals)
{
    m_decimals = decimals;
    try {
        m_link->Open(kProgram, kProgram);
    } catch (const AppError& e) {
        throw AppError(e.number, e.source,
                       QStringLiteral("Assicurarsi che l'applicazione SMARTComm (%1) sia stata avviata\r(%2)")
                           .arg(kProgram, e.description));
    }
}

void clsSID::SendData(Currency price, int16_t quantity, const QString& description, int16_t department)
{
    const QString cleaned
        = CleanDescription(description, settings().FiscalPrinterParam.DescriptionLen).replace(u',', u' ');
    if (!SidDdeExecute(RowCommand(price, quantity, cleaned, department)))
        RaisePending(QStringLiteral("Errore in invio PLU dati"));
}

void clsSID::EndSession()
{
    if (!SidDdeExecute(QStringLiteral("CASH"))) RaisePending(QStringLiteral("Errore in chiusura dello scontrino"));
}
