#include "clsSWEDA.h"
#include "core/configuration/DeviceSettings.h"
#include "FiscalDescription.h"
#include "core/serial/SerialLines.h"

#include <QElapsedTimer>

namespace {
const QByteArray kClear = "KXCL";   // opens a receipt, and voids one
const QByteArray kTotal = "KXT1";
constexpr int kAmountWidth = 8;
constexpr int kReplyGapMs = 100;

struct ErrorCode {
    const char* code;
    const char* text;
};
const ErrorCode kErrorCodes[] = {
    {"E1", "Chiave Errata"},        {"E2", "Errore fine carta Scontrino o Giornale o Batteria scarica"},
    {"E3", "Obbligo Subtotale"},    {"E5", "Subtotale Negativo"},
    {"E6", "Sequenza Errata"},      {"E7", "M.F. in Esaurimento o Guasta o Init M.F. o Iva IN Rapp.Fisc."},
    {"E8", "Fine Memoria"},         {"E9", "Errore Stampante"},
    {"E20", "M.F. Esaurita"},       {"E44", "Sequenza Errata"},
    {"E50", "Disturbi Seriale"},    {"E51", "Errore Parità"},
    {"E52", "Errore Overrun"},      {"E53", "Errore Framing"},
    {"E69", "Errore Stringa Dati"}, {"E84", "Codice Inesistente"},
};

// The code at the end of an answer: "E" and the digits that close it. Codes have two or
// three characters, and the register may put other text before them.
QByteArray trailingCode(const QByteArray& answer)
{
    qsizetype start = answer.size();
    while (start > 0 && answer.at(start - 1) >= '0' && answer.at(start - 1) <= '9') --start;
    if (start == answer.size() || start == 0) return answer.size() <= 2 ? answer : QByteArray();
    const char e = answer.at(start - 1);
    if (e != 'E' && e != 'e') return answer.size() <= 2 ? answer : QByteArray();
    return answer.mid(start - 1);
}
}

clsSWEDA::clsSWEDA() : SerialRegisterDriver(QStringLiteral("objMSCommSWEDA"), QStringLiteral("SWEDA ECR (mwcr)")) { }

QString clsSWEDA::GetErrDescription(const QByteArray& answer)
{
    QByteArray trimmed = answer;
    while (trimmed.endsWith(ctl::CR)) trimmed.chop(1);
    const QByteArray code = trailingCode(trimmed).toUpper();
    for (const ErrorCode& e : kErrorCodes) {
        if (code == e.code) return QString::fromUtf8(e.text);
    }
    if (trimmed.startsWith(ctl::EOT)) return QStringLiteral("Comando eseguito con successo");
    return QString();
}

bool clsSWEDA::SendCmd(const QByteArray& command, QString& answerText)
{
    answerText.clear();
    try {
        // What is still waiting belongs to an earlier answer (a CR that came late).
        ClearCommInput(*m_comm);
        writeBytes(command + ctl::CR);
    } catch (const AppError& e) {
        answerText = e.description;
        return false;
    }
    return ReadData(answerText);
}

bool clsSWEDA::ReadData(QString& answerText)
{
    answerText.clear();
    // The register may send the CR that ends an answer well after the answer itself: CR
    // characters ahead of anything else end an earlier answer, never this one, so they are
    // read past and the wait for this answer goes on.
    QElapsedTimer clock;
    clock.start();
    std::optional<QByteArray> answer;
    for (;;) {
        const int left = int(std::max<qint64>(0, settings().FiscalPrinterParam.Timout - clock.elapsed()));
        answer = ReadRegisterReply(*m_comm, left, kReplyGapMs, [](const QByteArray& r) { return r.endsWith(ctl::CR); });
        if (!answer) return false;
        qsizetype lateEnds = 0;
        while (lateEnds < answer->size() && answer->at(lateEnds) == ctl::CR) ++lateEnds;
        answer->remove(0, lateEnds);
        if (!answer->isEmpty()) break;
    }
    answerText = GetErrDescription(*answer);
    if (answer->contains(ctl::EOT)) return true;
    if (answerText.isEmpty()) {
        answerText = QStringLiteral("Esito non riconosciuto [") + QString::fromLatin1(*answer) + QStringLiteral("] ");
        ClearCommInput(*m_comm);
    }
    return false;
}

void clsSWEDA::NewSession(int16_t decimals)
{
    beginSession(decimals);
    QString answer;
    if (!SendCmd(kClear, answer))
        RaiseDriverError(kNewSessionCode, ConnectionErrorText(QStringLiteral("), ")) + answer);
}

void clsSWEDA::CancelSession()
{
    QString answer;
    if (!SendCmd(kClear, answer))
        RaiseDriverError(kCancelSessionCode, QStringLiteral("Errore in annullamento scontrino, ") + answer);
}

void clsSWEDA::EndSession()
{
    QString answer;
    if (!SendCmd(kTotal, answer))
        RaiseDriverError(kEndSessionCode, QStringLiteral("Errore in chiusura scontrino, ") + answer);
}

void clsSWEDA::SendData(Currency price, int16_t quantity, const QString& description, int16_t department)
{
    QString text = NormalizeDescription(description);
    if (quantity > 1) text += QString::number(quantity) + QStringLiteral("x ");
    text = text.left(std::max(0, settings().FiscalPrinterParam.DescriptionLen));
    QByteArray command = "KX";
    command += FormatAmount(price.times(quantity), kAmountWidth).toLatin1();
    command += 'R';
    command += QByteArray::number(department);
    command += text.toLatin1();
    QString answer;
    if (!SendCmd(command, answer))
        RaiseDriverError(kSendDataCode,
                         QStringLiteral("Errore in invio dei dati (reparto %1), ").arg(department) + answer);
}
