#include "clsMSR106.h"

QByteArray clsMSR106::DataBlock(const QString& cardText) const
{
    // Tracks 2 and 3 always carry the single character "1".
    QByteArray block;
    block += ESC;
    block += 's';
    block += ESC;
    block += '\x01';
    block += cardText.toLatin1();
    block += ESC;
    block += '\x02';
    block += '1';
    block += ESC;
    block += '\x03';
    block += '1';
    block += '?';
    block += FS;
    return block;
}

void clsMSR106::SplitCardData(const QByteArray& data, QString& data1, QString& data2, bool reverse)
{
    data1.clear();
    data2.clear();
    QString text;
    if (data.startsWith(QByteArray(1, ESC) + '\x01')) {
        // The track runs to the next ESC; its first and last characters are the sentinels.
        const qsizetype next = data.indexOf(ESC, 2);
        if (next > 4) text = QString::fromLatin1(data.mid(3, next - 4));
    }
    SplitText(text, reverse, data1, data2);
}

void clsMSR106::SplitReadData(const QByteArray& dataPart, bool reverse, QString& data1, QString& data2) const
{
    SplitCardData(dataPart, data1, data2, reverse);
}
