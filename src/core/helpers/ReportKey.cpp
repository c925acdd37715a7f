#include "core/helpers/ReportKey.h"
#include <array>

namespace {

constexpr std::array kKeys {ReportKey::UnderStock,     ReportKey::BySupplier,   ReportKey::Sold,
                            ReportKey::Inventory,      ReportKey::Supplies,     ReportKey::PaidSupplies,
                            ReportKey::UnpaidSupplies, ReportKey::StockTaxable, ReportKey::StockAtDate,
                            ReportKey::Various,        ReportKey::Vouchers,     ReportKey::SalesTaxable};

std::array<QString, kKeys.size()>& captions()
{
    static std::array<QString, kKeys.size()> table {
        QStringLiteral("Articoli Sottoscorta"),
        QStringLiteral("Articoli Fornitore"),
        QStringLiteral("Articoli Venduti"),
        QStringLiteral("Inventario Magazzino"),
        QStringLiteral("Lista Forniture"),
        QStringLiteral("Forniture pagate"),
        QStringLiteral("Forniture non pagate"),
        QStringLiteral("Imponibile Magazzino"),
        QStringLiteral("Ricalcolo Imponibile Magazzino"),
        QStringLiteral("Articoli Vari"),
        QStringLiteral("Lista Buoni"),
        QStringLiteral("Imponibile Vendite"),
    };
    return table;
}

}   // namespace

std::span<const ReportKey> AllReportKeys() { return kKeys; }

QString ReportCaption(ReportKey key) { return captions()[size_t(key)]; }

std::optional<ReportKey> ReportNamed(QStringView caption)
{
    for (ReportKey key : kKeys)
        if (captions()[size_t(key)] == caption) return key;
    return std::nullopt;
}

ReportCaptionOverride::ReportCaptionOverride(ReportKey key, const QString& caption)
    : m_key(key), m_previous(captions()[size_t(key)])
{
    captions()[size_t(key)] = caption;
}

ReportCaptionOverride::~ReportCaptionOverride() { captions()[size_t(m_key)] = m_previous; }
