#include "clsDSProgress.h"
#include "core/configuration/DeviceSettings.h"
#include "FiscalDescription.h"
#include "core/serial/SerialLines.h"

#include <algorithm>
#include <cstdlib>

namespace {
const QByteArray kClear = "KXCL";   // opens a receipt, and voids one
const QByteArray kTotal = "KRT1";
const QByteArray kAnswerEnd = QByteArray(1, ctl::EOT) + ctl::CR;
constexpr int kDescriptionWidth = 22;
}

clsDSProgress::clsDSProgress()
    : SerialRegisterDriver(QStringLiteral("objMSCommDSProgress"), QStringLiteral("DSProgress"))
{ }

QByteArray clsDSProgress::DepartmentKey(int department) { return 'R' + QByteArray::number(department); }

bool clsDSProgress::DSP_SendCmd(const QByteArray& command)
{
    ClearCommInput(*m_comm);
    writeBytes(command + ctl::CR);
    QByteArray reply;
    return DSP_ReadData(reply);
}

bool clsDSProgress::DSP_ReadData(QByteArray& reply)
{
    reply.clear();
    const int timeout = settings().FiscalPrinterParam.Timout;
    const auto answer
        = ReadRegisterReply(*m_comm, timeout, timeout / 2, [](const QByteArray& r) { return r.endsWith(kAnswerEnd); });
    if (!answer) return false;
    if (!answer->endsWith(kAnswerEnd)) {
        ClearCommInput(*m_comm);
        return false;
    }
    reply = answer->left(answer->size() - kAnswerEnd.size());
    return true;
}

void clsDSProgress::NewSession(int16_t decimals)
{
    beginSession(decimals);
    if (!DSP_SendCmd(kClear)) RaiseDriverError(kNewSessionCode, ConnectionErrorText());
}

void clsDSProgress::CancelSession()
{
    if (!DSP_SendCmd(kClear))
        RaiseDriverError(kCancelSessionCode, QStringLiteral("Errore di comunicazione in annullamento dello scontrino"));
}

void clsDSProgress::EndSession()
{
    if (!DSP_SendCmd(kTotal))
        RaiseDriverError(kEndSessionCode, QStringLiteral("Errore di comunicazione in chiusura dello scontrino"));
}

void clsDSProgress::SendData(Currency price, int16_t quantity, const QString& description, int16_t department)
{
    // A department the register has no key for must not land on another department.
    if (department < 0 || department > kLastDepartment)
        RaiseDriverError(kSendDataCode,
                         QStringLiteral("Reparto %1 non gestito dal registratore di cassa (reparti da 0 a %2)")
                             .arg(department)
                             .arg(kLastDepartment));
    const bool isReturn = price.sign() < 0 || quantity < 0;
    QByteArray command = isReturn ? "KR-" : "KR";
    command += FormatAmount(price.abs().times(std::abs(int(quantity)))).toLatin1();
    command += DepartmentKey(department);
    command += CleanDescription(description, std::min(settings().FiscalPrinterParam.DescriptionLen, kDescriptionWidth))
                   .toLatin1();
    if (!DSP_SendCmd(command))
        RaiseDriverError(kSendDataCode,
                         QStringLiteral("Errore di comunicazione in invio dei dati (reparto %1)").arg(department));
}
