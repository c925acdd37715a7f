#pragma once
// The sale's loyalty features: the customer's points before the sale, the sale's and their
// total; points turned into a prize on a sale row; the customer's open vouchers used in the
// sale; the customer found by a card read. The table rules earn and store the points (a
// row's PuntiPremio holds the points spent on it, negative); this class only reads the
// totals and writes a row's PuntiPremio, a voucher use and the sale's customer.
//
// Points and amounts meet in exact decimal arithmetic: 0.70 worth of prize at 0.05 a point
// is 14 points, never 13.
#include "base/Currency.h"

#include <QString>
#include <memory>

class Database;
class DocumentOperator;
class QWidget;
class TableData;

// "500 + 12 = 512", "1200 - 970 = 230", or the points before the sale alone when the sale
// has none.
[[nodiscard]] QString PointsLabel(qint64 before, qint64 sale);

// The whole points `amount` is worth at `pointValue` each: Int(amount / pointValue),
// rounded toward minus infinity as Int does. 0 when the point has no value.
[[nodiscard]] qint64 WholePoints(Currency amount, Currency pointValue);

class SalePoints {
public:
    explicit SalePoints(DocumentOperator& op);

    // The sale (standing on its row) and its rows; null: no sale is open.
    void bind(TableData* sale, TableData* rows);

    // What the tool tips of the points label and of the prize button add: the prize's
    // value, or a point's when there is no predefined prize.
    struct Tips {
        QString points;
        QString prize;
    };
    [[nodiscard]] static Tips tips(const Database& db);

    // When the sale is shown: whether its customer collects points and they are shown
    // (points in use, the customer collects them, and a point has a price or the customer
    // held points before). It also decides whether the customer becomes the next sale's.
    bool Decide();
    bool collects() const { return m_collects; }
    // The points label.
    [[nodiscard]] QString ShowPuntiCliente() const;

    // The prize button for the row selected: usable, bold (the row carries a prize: pressing
    // removes it), blinking (a prize is within reach of the row).
    struct PrizeSignal {
        bool enabled = false;
        bool bold = false;
        bool blink = false;
    };
    [[nodiscard]] PrizeSignal RefreshPremioSignal(qint64 selected);
    // The prize command on the row selected: true when rows changed.
    bool Premium(qint64 selected);

    // The customer has a voucher not used up (the voucher button blinks).
    [[nodiscard]] bool customerHasOpenVouchers();
    // The sale uses vouchers (their button is bold).
    [[nodiscard]] bool saleUsesVouchers();
    // One of the customer's open vouchers used in the sale: true when one was added.
    bool UseVoucher();
    // The vouchers this sale uses, in the library's list.
    void ShowSaleVouchers();

    // The customer read from a card.
    enum class Card { NotRead, Identified, NotFound, Inserted };
    Card ReadCard();
    // A customer picked; when the card of a customer who collects points was never written
    // and the card can be written, the offer to write it now. True when the customer changed.
    bool CheckCartaCliente(bool cardWritable, QWidget* owner);

private:
    qint64 customerPoints();
    void setPrize(qint64 points);
    bool distribute(qint64 points, Currency pointValue);
    std::unique_ptr<TableData> openVouchers();

    DocumentOperator& m_op;
    TableData* m_sale = nullptr;
    TableData* m_rows = nullptr;
    bool m_collects = false;
};
