#pragma once
// The high-coercivity reader/writer (reader types 1 and 2): it sets the card coercivity
// and eight bits per character at the start of a session, and reads and writes track 1
// raw, packing the text itself (Track1.h).
#include "EscapeCardDriver.h"

class clsMSR206HL final : public EscapeCardDriver {
    Q_OBJECT
public:
    clsMSR206HL() = default;
    QString ModelDescription() const override { return QStringLiteral("MSR 206 HL Series (alta coercività)"); }

    // Also sets the coercivity and eight bits per character, each waited for.
    void NewSession(clsMagneticCardEvents* events) override;
    void EndSession() override;
    void CancelSession() override;

    bool LowCoercivity() const { return m_lowCoercivity; }

    // The card's texts in a raw read's data part, as HexToAsciiFromTrack1 reads the track.
    static void SplitRawCardData(const QByteArray& data, QString& data1, QString& data2, bool reverse);

protected:
    QByteArray ReadCommand() const override { return "m"; }
    QByteArray WriteCommand() const override { return "n"; }
    QByteArray DataBlock(const QString& cardText) const override;
    void SplitReadData(const QByteArray& dataPart, bool reverse, QString& data1, QString& data2) const override
    {
        SplitRawCardData(dataPart, data1, data2, reverse);
    }
    int ParameterCount() const override { return 3; }
    void KeepExtraParameters(const QVariantList& params) override { m_lowCoercivity = params.at(2).toBool(); }

private:
    bool m_lowCoercivity = false;
};
