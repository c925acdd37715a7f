#pragma once
// The low-coercivity reader/writer (reader type 0): track 1 travels as text, the reader
// adding and removing the sentinels itself.
#include "EscapeCardDriver.h"

class clsMSR106 final : public EscapeCardDriver {
    Q_OBJECT
public:
    clsMSR106() = default;
    QString ModelDescription() const override { return QStringLiteral("MSR 106 Series (bassa coercività)"); }

    // The track-1 text of a text read's data part: what lies between the sentinels of the
    // first track, split at its first blank. Empty when the part holds no such track.
    static void SplitCardData(const QByteArray& data, QString& data1, QString& data2, bool reverse);

protected:
    QByteArray ReadCommand() const override { return "r"; }
    QByteArray WriteCommand() const override { return "w"; }
    QByteArray DataBlock(const QString& cardText) const override;
    void SplitReadData(const QByteArray& dataPart, bool reverse, QString& data1, QString& data2) const override;
};
