#pragma once
// The sale window's loyalty controls: the customer's points ("500 + 12 = 512"), the prize
// button that blinks when a prize is within reach of the selected row, the voucher buttons
// (the customer's open vouchers make "Buoni" blink, the sale's own make "Buoni vendita"
// bold), the vouchers' total, and the card reader's button. The rules are SalePoints'; this
// class holds the widgets and the two blink timers and shows what SalePoints answers.
#include "documents/SaleDocument.h"

#include <QObject>

class QLabel;
class QPushButton;
class QTimer;
class QWidget;

class SaleLoyaltyControls : public QObject {
    Q_OBJECT
public:
    static constexpr int kBlinkMs = 700;

    SaleLoyaltyControls(QWidget* form, SalePoints& points);

    // At load: the card button only with a reader configured and cards in use, the points
    // only with points in use, the prize's value in the tips.
    void Load(const Database& db);
    // A new sale: "0" points and no prize until the sale is shown.
    void NewSale();
    // The sale's header shown: points, prize, vouchers.
    void Show(const SaleDocument::Header& header);
    // The prize button for the selected row (after the prize command).
    void ShowPrizeSignal(qint64 selected);
    // Nothing open: every timer stopped.
    void Clear();

    QLabel* lblPunti = nullptr;
    QLabel* lblTotalePunti = nullptr;
    QPushButton* cmdPremium = nullptr;
    QPushButton* cmdBuoni = nullptr;
    QPushButton* cmdBuoniVendita = nullptr;
    QLabel* lblTotaleBuoni = nullptr;
    QPushButton* cmdReadCard = nullptr;
    QTimer* tmBuoni = nullptr;
    QTimer* tmPunti = nullptr;

signals:
    // A click on the vouchers' total: as "Buoni vendita".
    void vouchersTotalClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void blink(QPushButton* button, bool alsoPoints);
    static void setBold(QWidget* w, bool bold);

    SalePoints& m_points;
    QString m_pointsTip;
    QString m_prizeTip;
};
