#include "modRCH.h"

namespace {
const char* statusText(int32_t status)
{
    switch (status) {
    case RchStatus::WrongSpeed: return "Velocita' errata";
    case RchStatus::WrongMode: return "Modalita' impostata non valida (RS232)";
    case RchStatus::Closed: return "Comunicazione chiusa";
    case RchStatus::Timeout: return "Errore di Timeout durante l'esecuzione del comando";
    case RchStatus::WrongPort: return "Porta di comunicazione errata";
    case RchStatus::Ok: return "Stato Ok";
    case RchStatus::Accepted: return "Comando eseguito";
    case RchStatus::NoData: return "Nessn dato memorizzato sul registratore di cassa";
    case RchStatus::Busy: return "Registratore di cassa occupato";
    case RchStatus::InvalidCommand: return "Comando non valido";
    case RchStatus::InvalidData: return "Formato dati inviati non valido";
    case RchStatus::ReceiptOpen: return "Scontrino aperto";
    case RchStatus::Completed: return "Comando eseguito completamente";
    case RchStatus::ProcessingEnded: return "Fine elaborazione";
    default: return "";
    }
}
}

QString RchStatusText(int32_t status)
{
    return QStringLiteral("[%1] ").arg(status) + QString::fromLatin1(statusText(status));
}

QString KeyCode(int key)
{
    const QString digits = QString::number(key < 0 ? -qint64(key) : qint64(key)).rightJustified(4, u'0');
    return key < 0 ? u'-' + digits : digits;
}
