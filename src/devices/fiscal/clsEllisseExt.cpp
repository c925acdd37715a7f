#include "clsEllisseExt.h"
#include "core/configuration/DeviceSettings.h"
#include "FiscalDescription.h"
#include "base/UiServices.h"
#include "modEllisse.h"

#include <cstdlib>

namespace {
constexpr char kReturnFlag = '8';
constexpr char kFirstRowFlag = 'p';
constexpr char kNextRowFlag = '0';
constexpr int kSaleRecordLength = 58;
constexpr int kDescriptionRecordText = 32;   // "-" and the description, blank-filled
constexpr int kDescriptionCut = 31;
constexpr int kAmountDigits = 10;
constexpr int kLastDepartment = 99;

// Frames from the register that need no closing "000".
bool needsNoClose(const QByteArray& replies)
{
    return replies.startsWith("00") || replies.startsWith("88") || replies.startsWith("89");
}
}

clsEllisseExt::clsEllisseExt() : SerialRegisterDriver(QStringLiteral("objMSCommELL"), QStringLiteral("Omega ELLISSE"))
{
    QObject::connect(m_comm.get(), &SerialChannel::received, m_comm.get(), [this] { onReceived(); });
}

clsEllisseExt::~clsEllisseExt() { QObject::disconnect(m_comm.get(), &SerialChannel::received, nullptr, nullptr); }

QByteArray clsEllisseExt::SaleRecord(char flag, const QString& amount, int department, int quantity)
{
    QByteArray r = "700";
    r += flag;
    r += amount.toLatin1().rightJustified(10, '0');
    r += QByteArray::number(department).rightJustified(2, '0');
    r += QByteArray(14, '0');
    r += quantity == 1 ? QByteArray(9, '0') : QByteArray::number(quantity).rightJustified(9, '0');
    r += '0';
    r += QByteArray(16, ' ');
    r += "00";
    return r;
}

QByteArray clsEllisseExt::DescriptionRecord(const QString& cleanedDescription)
{
    QString text = cleanedDescription;
    qsizetype start = 0;
    while (start < text.size() && text[start] == u' ') ++start;
    text = text.mid(start).left(kDescriptionCut);
    while (text.endsWith(u' ')) text.chop(1);
    return "5100" + (u'-' + text).toLatin1().leftJustified(kDescriptionRecordText, ' ') + '0';
}

QByteArray clsEllisseExt::ClosingRecord()
{
    QByteArray r(40, '0');
    r[0] = '7';
    r[1] = '4';
    r[14] = '1';
    return r;
}

QByteArray clsEllisseExt::CancellingRecord() { return "720 "; }

bool clsEllisseExt::exchange(const std::function<bool(QByteArray&)>& run)
{
    m_busy = true;
    QByteArray replies;
    bool ok = false;
    try {
        ok = run(replies);
    } catch (...) {
        m_busy = false;
        throw;
    }
    m_busy = false;
    return ok;
}

void clsEllisseExt::NewSession(int16_t decimals)
{
    beginSession(decimals);
    m_firstRow = true;
}

void clsEllisseExt::SendData(Currency price, int16_t quantity, const QString& description, int16_t department)
{
    // The sale record has fixed places: a department or an amount longer than its place would
    // push the following fields along, and the register would charge another department or
    // another amount. Such a row is refused before anything reaches the register.
    if (department < 0 || department > kLastDepartment)
        RaiseDriverError(kSendDataCode,
                         QStringLiteral("Reparto %1 non gestito dal registratore di cassa (reparti da 0 a %2)")
                             .arg(department)
                             .arg(kLastDepartment));
    const QString amount = FormatAmount(price.abs());
    if (amount.size() > kAmountDigits)
        RaiseDriverError(
            kSendDataCode,
            QStringLiteral("Importo %1 troppo grande per il registratore di cassa").arg(price.abs().toString()));
    const QString cleaned = CleanDescription(description, settings().FiscalPrinterParam.DescriptionLen);
    char flag = kNextRowFlag;
    if (quantity < 0 || price.sign() < 0) {
        flag = kReturnFlag;
    } else if (m_firstRow) {
        flag = kFirstRowFlag;
        m_firstRow = false;
    }
    // The quantity field has no place for a sign: a return is told by the flag.
    const QByteArray sale = SaleRecord(flag, amount, department, std::abs(int(quantity)));
    const QString failed = QStringLiteral("Errore di comunicazione in invio dei dati");
    if (!exchange([&](QByteArray& r) { return EllSendCommandEx(sale, *m_comm, r); }))
        RaiseDriverError(kSendDataCode, failed);
    if (cleaned.isEmpty()) return;
    const QByteArray text = DescriptionRecord(cleaned);
    if (!exchange([&](QByteArray& r) { return EllSendCommand(text, *m_comm, r); }))
        RaiseDriverError(kSendDataCode, failed);
}

void clsEllisseExt::EndSession()
{
    if (m_firstRow) return;   // nothing was sold: no receipt is open on the register
    if (!exchange([&](QByteArray& r) { return EllSendCommandEx(ClosingRecord(), *m_comm, r); }))
        RaiseDriverError(kEndSessionCode, QStringLiteral("Errore di comunicazione in chiusura dello scontrino"));
}

void clsEllisseExt::CancelSession()
{
    if (m_firstRow) return;
    if (!exchange([&](QByteArray& r) { return EllSendCommandEx(CancellingRecord(), *m_comm, r); }))
        RaiseDriverError(kCancelSessionCode, QStringLiteral("Errore di comunicazione in annullamento dello scontrino"));
}

void clsEllisseExt::onReceived()
{
    try {
        if (m_busy || !m_comm->isOpen() || m_comm->bytesAvailable() < 1) return;
        m_busy = true;
        QByteArray replies;
        bool ok = EllReadReply(*m_comm, replies, true);
        if (!needsNoClose(replies)) {
            QByteArray closing;
            ok = EllSendCommand("000", *m_comm, closing) && ok;
        }
        m_busy = false;
        if (!ok) ui().beep();
    } catch (...) {
        // A frame the register sent on its own must not break whatever the operator is
        // doing; the line's trouble shows at the next receipt.
        m_busy = false;
        ui().beep();
    }
}
