#include "DeliveryLayout.h"
#include "objdb/TableData.h"
#include <algorithm>

namespace {
int whole(const TableData& row, const char* field)
{
    return int(row.GetFieldValue(QString::fromLatin1(field)).toLongLong());
}

QString text(const TableData& row, const char* field)
{
    return row.GetFieldValue(QString::fromLatin1(field)).toString();
}
}  // namespace

DeliveryLayout DeliveryLayout::fromRow(TableData& layout)
{
    DeliveryLayout l;
    l.key = layout.GetOID();
    l.sourceFile = text(layout, "FileSorgente");
    l.note = text(layout, "Note");
    l.filterScript = text(layout, "VBFilter");
    l.currencyConversion = layout.GetBoolValue(QStringLiteral("ConversioneValuta"));
    l.coefficient = layout.GetFieldValue(QStringLiteral("CoefficienteValuta")).toDouble();

    // Fields come in the order they were created, whatever order the list keeps.
    std::vector<std::pair<qint64, LayoutField>> fields;
    auto campi = layout.GetReference(QStringLiteral("Campi"));
    for (campi->MoveFirst(); !campi->IsEOF(); campi->MoveNext()) {
        LayoutField f;
        f.name = text(*campi, "NomeCampo");
        f.position = whole(*campi, "Posizione");
        f.length = whole(*campi, "Lunghezza");
        f.numeric = campi->GetBoolValue(QStringLiteral("CampoNumerico"));
        f.amount = campi->GetBoolValue(QStringLiteral("CampoImporto"));
        f.compare = campi->GetBoolValue(QStringLiteral("RilevaDifferenze"));
        f.tolerance = campi->GetFieldValue(QStringLiteral("ValoreMaxDifferenza")).toDouble();
        fields.emplace_back(campi->GetOID(), std::move(f));
    }
    std::stable_sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& f : fields) l.fields.push_back(std::move(f.second));

    auto selezioni = layout.GetReference(QStringLiteral("Selezioni"));
    for (selezioni->MoveFirst(); !selezioni->IsEOF(); selezioni->MoveNext())
        l.selections.push_back({whole(*selezioni, "Posizione"), text(*selezioni, "Contenuto"),
                                selezioni->GetBoolValue(QStringLiteral("Escludi"))});
    return l;
}

bool DeliveryLayout::keepsLine(QStringView line) const
{
    bool kept = true;
    bool includeMet = false;
    for (const LineSelection& rule : selections) {
        // The first include rule turns the default round: from then on a line needs a match.
        if (!rule.exclude && !includeMet) {
            includeMet = true;
            kept = false;
        }
        if (rule.position < 1)
            continue;
        const QStringView piece = rule.position - 1 < line.size() ? line.mid(rule.position - 1, rule.content.size())
                                                                  : QStringView();
        if (piece != rule.content)
            continue;
        if (rule.exclude)
            return false;
        kept = true;
    }
    return kept;
}
