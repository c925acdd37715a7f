#pragma once
// The card dialog that writes a customer's code on a magnetic card. It belongs to the card
// devices, which sit above the core: the device layer registers its dialog here at start,
// tests register a fake.
#include <QString>
#include <cstdint>

class QWidget;

class CustomerCardWriter {
public:
    virtual ~CustomerCardWriter() = default;
    // Shows the card dialog over `owner`, writes `code` on the card and returns whether the
    // card was written. The dialog itself tells the operator why it could not write.
    virtual bool WriteCode(QWidget* owner, const QString& code, const QString& text1, const QString& text2, bool flag,
                           int32_t minimumLevel) = 0;
};

// The registered dialog, or null when none is (no card devices in this build).
CustomerCardWriter* customerCardWriter();
void setCustomerCardWriter(CustomerCardWriter* writer);
