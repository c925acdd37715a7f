#include "clsEllisse.h"
#include "modEllisse.h"
#include "core/serial/SerialLines.h"

#include <cstdlib>

namespace {
const QByteArray kClearKey = "064";   // opens a receipt, and voids one
const QByteArray kTotalKey = "005";
const QByteArray kReturnKey = "121";
const QByteArray kSeparatorKey = "060";
constexpr int kDepartmentKeyBase = 70;

QByteArray threeDigits(int n) { return QByteArray::number(n).rightJustified(3, '0'); }
}

clsEllisse::clsEllisse() : SerialRegisterDriver(QStringLiteral("objMSCommELL"), QStringLiteral("Omega ELLISSE")) { }

QByteArray clsEllisse::CharacterKey(QChar c)
{
    if (c == u',' || c == u'.') return kSeparatorKey;
    return threeDigits(c.unicode());
}

QByteArray clsEllisse::DepartmentKey(int department) { return threeDigits(kDepartmentKeyBase + department); }

bool clsEllisse::sendKey(const QByteArray& key)
{
    QByteArray replies;
    return EllSendCommand(key, *m_comm, replies);
}

void clsEllisse::NewSession(int16_t decimals)
{
    beginSession(decimals);
    if (!sendKey(kClearKey)) RaiseDriverError(kNewSessionCode, ConnectionErrorText());
}

void clsEllisse::SendData(Currency price, int16_t quantity, const QString&, int16_t department)
{
    const bool isReturn = quantity < 0 || price.sign() < 0;
    if (isReturn && !sendKey(kReturnKey))
        RaiseDriverError(kSendDataCode, QStringLiteral("Errore di comunicazione in invio del Reso (tasto 121)"));

    const QString amount = FormatAmount(price.abs().times(std::abs(int(quantity))));
    for (const QChar c : amount) {
        if (!sendKey(CharacterKey(c)))
            RaiseDriverError(kSendDataCode,
                             QStringLiteral("Errore di comunicazione in invio dei dati (tasto %1)").arg(c));
    }
    if (!sendKey(DepartmentKey(department)))
        RaiseDriverError(kSendDataCode,
                         QStringLiteral("Errore di comunicazione in invio dei dati (reparto %1)").arg(department));
}

void clsEllisse::EndSession()
{
    if (!sendKey(kTotalKey))
        RaiseDriverError(kEndSessionCode, QStringLiteral("Errore di comunicazione in chiusura dello scontrino"));
}

void clsEllisse::CancelSession()
{
    if (!sendKey(kClearKey))
        RaiseDriverError(kCancelSessionCode, QStringLiteral("Errore di comunicazione in annullamento dello scontrino"));
}
