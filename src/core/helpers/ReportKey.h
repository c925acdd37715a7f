#pragma once
// The reports of the main window: the tree offers them, the catalogue builds each one's view
// and the print window picks each one's layout, all knowing a report by its key. The caption
// the operator reads, which is also the tree node's key the other layers are handed, is
// written once, in the table behind ReportCaption.
#include <QString>
#include <QStringView>
#include <optional>
#include <span>

enum class ReportKey {
    UnderStock,
    BySupplier,
    Sold,
    Inventory,
    Supplies,
    PaidSupplies,
    UnpaidSupplies,
    StockTaxable,
    StockAtDate,
    Various,
    Vouchers,
    SalesTaxable,   // a print layout, no node of the tree
};

// Every key, in the order above.
std::span<const ReportKey> AllReportKeys();
QString ReportCaption(ReportKey key);
// The report a node's key names: its caption exactly (case and blanks count).
std::optional<ReportKey> ReportNamed(QStringView caption);

// Gives a report another caption while it lives, the old one back after: a test's way of
// showing that every layer takes the caption from here.
class ReportCaptionOverride {
public:
    ReportCaptionOverride(ReportKey key, const QString& caption);
    ~ReportCaptionOverride();
    ReportCaptionOverride(const ReportCaptionOverride&) = delete;
    ReportCaptionOverride& operator=(const ReportCaptionOverride&) = delete;

private:
    ReportKey m_key;
    QString m_previous;
};
