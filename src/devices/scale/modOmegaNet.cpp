#include "modOmegaNet.h"
#include "base/AppError.h"

using namespace omeganet;

QByteArray NetBuildFrame(const QByteArray& data)
{
    int sum = STX + EOT;
    for (char c : data) sum += static_cast<unsigned char>(c);
    if (sum >= kMaxSum)
        throw AppError(AppError::kOverflow, QStringLiteral("modOmegaNet"),
                       QStringLiteral("Messaggio troppo lungo per la bilancia (%1 caratteri)").arg(data.size()));
    QByteArray frame;
    frame.reserve(data.size() + 5);
    frame += STX;
    frame += data;
    frame += EOT;
    frame += char((sum & 127) | 128);
    frame += char((sum / 256) | 128);
    frame += ETX;
    return frame;
}

QByteArray NetBuildFrame(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 255)
            throw AppError(AppError::kInvalidCall, QStringLiteral("modOmegaNet"),
                           QStringLiteral("Il carattere \"%1\" non può essere inviato alla bilancia").arg(c));
    return NetBuildFrame(text.toLatin1());
}

QByteArray NetParseFrame(const QByteArray& bytes)
{
    const qsizetype start = bytes.indexOf(STX);
    if (start < 0) return {};
    const qsizetype end = bytes.indexOf(ETX, start);
    if (end < 0) return {};
    const QByteArray frame = bytes.mid(start, end - start + 1);
    const qsizetype eot = frame.indexOf(EOT);
    if (eot < 0 || eot != frame.size() - 4) return {};
    const QByteArray data = frame.mid(1, eot - 1);
    try {
        if (NetBuildFrame(data) != frame) return {};
    } catch (const AppError&) {
        return {};   // data too long to have been framed
    }
    return data;
}
