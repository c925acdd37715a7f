#include "EllisseConsole.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/DeviceSettings.h"
#include "core/serial/SerialChannel.h"
#include "core/serial/SerialLines.h"
#include "base/UiServices.h"
#include "devices/fiscal/modEllisse.h"

#include <QPointer>
#include <cmath>

namespace {
constexpr int kDefaultTimeoutMs = 5000;
constexpr int kFirstDepartment = 2;
constexpr int kLastDepartment = 20;
// The bar code of a PLU record: 13 characters from the 32nd of the reply.
constexpr int kBarcodeAt = 31;
constexpr int kBarcodeLength = 13;

// Marks the console busy for one of its own exchanges, so that the receive handler stands
// aside, whatever way the exchange ends.
struct Busy {
    explicit Busy(bool& flag) : m_flag(flag) { m_flag = true; }
    ~Busy() { m_flag = false; }
    bool& m_flag;
};

char statusOf(const QByteArray& reply) { return reply.size() > 2 ? reply.at(2) : '\0'; }
QString recordOf(const QByteArray& reply) { return QString::fromLatin1(reply.mid(3)); }
}

const QStringList& EllisseConsole::PluFields()
{
    static const QStringList fields = {
        QStringLiteral("CODICE PLU (5)"),
        QStringLiteral("PREZZO (9)"),
        QStringLiteral("DESCRIZIONE (12)"),
        QStringLiteral("REPARTO (2)"),
        QStringLiteral("CODICE A BARRE (13)"),
        QStringLiteral("INUSO (1)"),
        QStringLiteral("BATTUTA SINGOLA (1)"),
        QStringLiteral("SCONTO MxN (1)"),
        QStringLiteral("GIACENZA (6)"),
        QStringLiteral("LIMITE (5)"),
        QStringLiteral("SCONTO % AUTOMATICO (2)"),
        QStringLiteral("TIPO PROMOZIONE (1)"),
        QStringLiteral("DATI PROMOZIONE (2)"),
        QStringLiteral("ESTENSIONE DESCRIZIONE X (1)"),
        QStringLiteral("DESCRIZIONE ESTESA (24)"),
    };
    return fields;
}

const QStringList& EllisseConsole::DepartmentFields()
{
    static const QStringList fields = {
        QStringLiteral("NUMERO REPARTO (2)"), QStringLiteral("PREZZO (9)"), QStringLiteral("DESCRIZIONE (12)"),
        QStringLiteral("HALO (9)"),           QStringLiteral("LALO (9)"),   QStringLiteral("BATTUTA SINGOLA (1)"),
        QStringLiteral("CODICE IVA (1)"),     QStringLiteral("GRUPPO (2)"), QStringLiteral("LOCK (1)"),
    };
    return fields;
}

QByteArray EllisseConsole::ReadCommand(int number) { return "020" + QByteArray::number(number).rightJustified(5, '0'); }

EllisseConsole::EllisseConsole() : m_comm(createSerialChannel())
{
    m_comm->setObjectName(QStringLiteral("MSCommBil"));
    connect(m_comm.get(), &SerialChannel::received, this, [this] { OnComm(); });
    if (settings().FiscalPrinterParam.Timout == 0) settings().FiscalPrinterParam.Timout = kDefaultTimeoutMs;
}

EllisseConsole::~EllisseConsole()
{
    try {
        m_comm->close();
    } catch (...) {
        // The port goes with the console.
    }
}

void EllisseConsole::append(const QString& line)
{
    m_log += line + QStringLiteral("\r\n");
    emit LogChanged();
}

void EllisseConsole::ClearLog()
{
    m_log.clear();
    emit LogChanged();
}

void EllisseConsole::setProgress(const QString& text)
{
    m_progress = text;
    emit ProgressChanged(text);
}

void EllisseConsole::SetDevice(bool open, const PortSettings& s)
{
    m_listening = false;
    OpenConsolePort(*m_comm, open,
                    static_cast<int>(std::trunc(std::clamp(config::LeadingNumber(s.port), -32768.0, 32767.0))), s);
    m_listening = open;
}

void EllisseConsole::Send(const QString& text)
{
    Busy busy(m_busy);
    const QByteArray command = text.toLatin1();
    QByteArray replies;
    if (!EllSendCommand(command, *m_comm, replies)) {
        append(text + QStringLiteral(" err"));
        return;
    }
    append(text + QStringLiteral(" Ok"));
    // From "71" on the register reports the record's result in a second phase.
    if (text.left(2) <= QStringLiteral("70")) return;
    if (!EllReadReply(*m_comm, replies, true)) {
        append(QStringLiteral(" err (Ric)"));
        return;
    }
    append(QString::fromLatin1(replies) + QStringLiteral(" Ric Ok"));
    append(EllSendCommand("000", *m_comm, replies) ? QStringLiteral(" NOP Ok") : QStringLiteral(" err (NOP)"));
}

void EllisseConsole::ReadAll_Articoli()
{
    ClearLog();
    for (const QString& f : PluFields()) append(f);
    append(QString());
    append(QStringLiteral("TABELLA DATI PLU:"));
    const auto answer = ui().inputBox(QStringLiteral("NUMERO MASSIMO DI PLU DA LEGGERE"), g_strMsgTitle);
    const auto highest = answer ? config::ReadDecimal(*answer) : std::nullopt;
    if (!highest) return;
    const int total = static_cast<int>(std::floor(std::clamp(*highest, -1.0, 99999.0)));

    Busy busy(m_busy);
    int n = 1;
    for (; n <= total; ++n) {
        const QByteArray command = ReadCommand(n);
        QByteArray reply;
        if (!EllSendCommand(command, *m_comm, reply)) {
            append(QString::fromLatin1(command) + QStringLiteral(" Err"));
            break;
        }
        const char status = statusOf(reply);
        if (status != '0' && status != '4') {
            append(recordOf(reply) + QStringLiteral(" ERR"));
            break;
        }
        if (config::LeadingNumber(QString::fromLatin1(reply.mid(kBarcodeAt, kBarcodeLength))) == 0) break;
        if (status == '0') append(recordOf(reply));
        setProgress(QStringLiteral("%1 / %2").arg(n).arg(total));
    }
    setProgress(QStringLiteral("%1  (FINE)").arg(std::min(n, std::max(total, 1))));
}

void EllisseConsole::ReadAll_Reparti()
{
    ClearLog();
    for (const QString& f : DepartmentFields()) append(f);
    append(QString());
    append(QStringLiteral("TABELLA DATI REPARTI:"));
    if (ui().msgBox(QStringLiteral("Confermi la lettura di tutti i reparti dalla cassa?"),
                    int(Msg::YesNo) + int(Msg::Question), g_strMsgTitle)
        != Msg::Yes)
        return;

    Busy busy(m_busy);
    int n = kFirstDepartment;
    for (; n <= kLastDepartment; ++n) {
        const QByteArray command = ReadCommand(n);
        QByteArray reply;
        if (!EllSendCommand(command, *m_comm, reply)) {
            append(QString::fromLatin1(command) + QStringLiteral(" Err"));
            break;
        }
        if (statusOf(reply) != '0') break;
        append(recordOf(reply));
        setProgress(QStringLiteral("%1 / %2").arg(n).arg(kLastDepartment));
    }
    setProgress(QStringLiteral("%1  (FINE)").arg(std::min(n, kLastDepartment)));
}

void EllisseConsole::OnComm()
{
    if (m_busy || !m_listening || !m_comm->isOpen() || m_comm->bytesAvailable() < 1) return;
    const QPointer<EllisseConsole> self(this);
    try {
        Busy busy(m_busy);
        QByteArray replies;
        if (!EllReadReply(*m_comm, replies, true)) {
            append(QStringLiteral(" err"));
            return;
        }
        append(QString::fromLatin1(replies) + QStringLiteral(" Ok"));
        if (replies.startsWith("00") || replies.startsWith("89") || replies.startsWith("88")) return;
        QByteArray closing;
        append(EllSendCommand("000", *m_comm, closing) ? QStringLiteral(" NOP") : QStringLiteral(" err (NOP)"));
    } catch (const AppError& e) {
        if (self) ui().msgBox(e.description, int(Msg::OKOnly) + int(Msg::Critical), g_strMsgTitle);
    }
}
