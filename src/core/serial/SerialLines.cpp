#include "SerialLines.h"
#include "SerialChannel.h"

void ClearCommInput(SerialChannel& comm)
{
    comm.clearInput();
    comm.pendingText().clear();
}

QString ReadCommLine(SerialChannel& comm)
{
    QString& pending = comm.pendingText();
    if (comm.bytesAvailable() >= 1) pending += QString::fromLatin1(comm.readAll());
    if (pending.isEmpty()) return QString();

    qsizetype end = pending.indexOf(u'\r');
    if (end < 0) end = pending.indexOf(u'\n');
    if (end < 0) return QString();   // a partial line waits for its end

    const QString line = pending.left(end);
    qsizetype rest = end + 1;
    if (rest < pending.size() && pending[rest] == u'\n') ++rest;
    pending.remove(0, rest);
    return line;
}

QString GetFirstLine(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') return text.left(i);
    }
    return QString();
}
