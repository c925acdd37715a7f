#include "SaleLoyaltyControls.h"

#include "core/configuration/Configuration.h"
#include "DocumentDisplay.h"
#include "devices/cards/modMagneticDev.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

SaleLoyaltyControls::SaleLoyaltyControls(QWidget* form, SalePoints& points) : QObject(form), m_points(points)
{
    lblPunti = new QLabel(QStringLiteral("Punti:"), form);
    lblPunti->setObjectName(QStringLiteral("lblPunti"));
    lblTotalePunti = new QLabel(form);
    lblTotalePunti->setObjectName(QStringLiteral("lblTotalePunti"));
    lblTotalePunti->setMinimumWidth(140);
    QFont bold = lblTotalePunti->font();
    bold.setBold(true);
    lblTotalePunti->setFont(bold);
    m_pointsTip = QStringLiteral("Punti del cliente prima della vendita, punti della vendita e totale");
    m_prizeTip = QStringLiteral("Assegna il premio all'articolo selezionato");
    cmdPremium = CommandButton(form, "cmdPremium", QStringLiteral("&Premio"), m_prizeTip);
    cmdBuoni = CommandButton(form, "cmdBuoni", QStringLiteral("&Buoni"),
                             QStringLiteral("Usa un buono del cliente nella vendita"));
    cmdBuoniVendita = CommandButton(form, "cmdBuoniVendita", QStringLiteral("Buoni &vendita"),
                                    QStringLiteral("Buoni utilizzati nella vendita corrente"));
    lblTotaleBuoni = new QLabel(form);
    lblTotaleBuoni->setObjectName(QStringLiteral("lblTotaleBuoni"));
    lblTotaleBuoni->setToolTip(QStringLiteral("Totale buoni utilizzati"));
    lblTotaleBuoni->setMinimumWidth(80);
    lblTotaleBuoni->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblTotaleBuoni->installEventFilter(this);
    cmdReadCard = CommandButton(form, "cmdReadCard", QStringLiteral("Carta [F9]"),
                                QStringLiteral("Identifica il cliente con la carta magnetica"));
    tmBuoni = new QTimer(this);
    tmBuoni->setObjectName(QStringLiteral("tmBuoni"));
    tmBuoni->setInterval(kBlinkMs);
    tmPunti = new QTimer(this);
    tmPunti->setObjectName(QStringLiteral("tmPunti"));
    tmPunti->setInterval(kBlinkMs);
    connect(tmBuoni, &QTimer::timeout, this, [this] { blink(cmdBuoni, false); });
    connect(tmPunti, &QTimer::timeout, this, [this] { blink(cmdPremium, true); });
}

void SaleLoyaltyControls::Load(const Database& db)
{
    cmdReadCard->setVisible(IsMagneticDevConfigured() && settings().Use_Badge);
    lblPunti->setVisible(settings().Use_PuntiPremio);
    lblTotalePunti->setVisible(settings().Use_PuntiPremio);
    const SalePoints::Tips tips = SalePoints::tips(db);
    lblTotalePunti->setToolTip(m_pointsTip + tips.points);
    lblPunti->setToolTip(lblTotalePunti->toolTip());
    cmdPremium->setToolTip(m_prizeTip + tips.prize);
    NewSale();
}

void SaleLoyaltyControls::NewSale()
{
    lblTotalePunti->setText(QStringLiteral("0"));
    lblTotaleBuoni->setText(QStringLiteral("0"));
    cmdPremium->setEnabled(false);
    tmPunti->stop();
    setBold(cmdPremium, false);
}

void SaleLoyaltyControls::Show(const SaleDocument::Header& h)
{
    lblPunti->setVisible(h.pointsShown);
    lblTotalePunti->setVisible(h.pointsShown);
    if (h.pointsShown) lblTotalePunti->setText(h.pointsText);
    cmdPremium->setEnabled(h.prizeEnabled);
    if (h.openVouchers) {
        if (!tmBuoni->isActive()) tmBuoni->start();
    } else {
        tmBuoni->stop();
        setBold(cmdBuoni, false);
    }
    setBold(cmdBuoniVendita, h.saleVouchers);
}

void SaleLoyaltyControls::ShowPrizeSignal(qint64 selected)
{
    const SalePoints::PrizeSignal signal = m_points.RefreshPremioSignal(selected);
    tmPunti->stop();
    cmdPremium->setEnabled(signal.enabled);
    setBold(cmdPremium, signal.bold);
    if (signal.blink) tmPunti->start();
}

void SaleLoyaltyControls::Clear()
{
    tmBuoni->stop();
    tmPunti->stop();
}

void SaleLoyaltyControls::blink(QPushButton* button, bool alsoPoints)
{
    if (!button->isVisibleTo(button->window()) || !button->isEnabled() || (alsoPoints && !m_points.collects())) return;
    setBold(button, !button->font().bold());
}

void SaleLoyaltyControls::setBold(QWidget* w, bool bold)
{
    QFont f = w->font();
    if (f.bold() == bold) return;
    f.setBold(bold);
    w->setFont(f);
    w->update();
}

bool SaleLoyaltyControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblTotaleBuoni && event->type() == QEvent::MouseButtonRelease) emit vouchersTotalClicked();
    return QObject::eventFilter(watched, event);
}
