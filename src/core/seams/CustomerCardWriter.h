#pragma once
// The card dialog that writes a customer's code on a magnetic card, and reads one back. It
// belongs to the card devices' windows, which sit above the core and the documents: the
// device layer registers its dialog here at start, tests register a fake.
#include <QString>
#include <cstdint>

class QWidget;

class CustomerCardWriter {
public:
    virtual ~CustomerCardWriter() = default;
    // Shows the card dialog over `owner`, writes `code` on the card and returns whether the
    // card was written. The dialog itself tells the operator why it could not write.
    virtual bool WriteCode(QWidget* owner, const QString& code, const QString& text1, const QString& text2, bool flag,
                           int32_t minimumLevel)
        = 0;
};

// The registered dialog, or null when none is (no card devices in this build).
CustomerCardWriter* customerCardWriter();
void setCustomerCardWriter(CustomerCardWriter* writer);

class CustomerCardReader {
public:
    virtual ~CustomerCardReader() = default;
    // Shows the card dialog over `owner` and returns the code it read from a card (`prefix`
    // and `reverse` as the card devices' settings describe them); empty when none was read.
    virtual QString ReadCode(QWidget* owner, const QString& prefix, bool reverse) = 0;
};

// The registered dialog, or null when none is.
CustomerCardReader* customerCardReader();
void setCustomerCardReader(CustomerCardReader* reader);
