#pragma once
// What every magnetic card reader/writer driver does. The dialog that reads or writes a
// card holds the driver through this contract only; InitMagneticDevice chooses the class.
//
// Wait = true makes a call wait (up to the driver's time-out) and raise the driver's
// error when the reader reports a failure; Wait = false sends the command and returns at
// once, the outcome then arriving through the events object given to NewSession.
// Reverse = true puts the card text on the card, or takes it off, in reverse order.
// The card carries one text: Data1 alone when Data2 is empty, else Data1, a blank, Data2.
#include <QString>
#include <QVariantList>

class clsMagneticCardEvents;

class itfMagneticCard {
public:
    virtual ~itfMagneticCard() = default;

    // Opens the port, resets the reader and keeps `events` (may be null) for completions
    // of background operations.
    virtual void NewSession(clsMagneticCardEvents* events) = 0;
    virtual void EndSession() = 0;
    // Abandons whatever the reader is doing.
    virtual void CancelSession() = 0;
    virtual void EraseCard(bool wait) = 0;
    virtual void WriteData(const QString& data1, const QString& data2, bool reverse, bool wait) = 0;
    // With wait, data1 and data2 receive the card's texts; without, they are left alone.
    virtual void ReadData(bool wait, bool reverse, QString& data1, QString& data2) = 0;
    // The reader's model; also the source of the driver's errors.
    virtual QString ModelDescription() const = 0;
    // Element 0 the port number, element 1 the port settings text, element 2 (readers that
    // set the coercivity) the low-coercivity flag. The port stays closed until NewSession.
    virtual void SetParameters(const QVariantList& params) = 0;
    virtual bool SupportWrite() const = 0;
};
