#include "DeliveryLayout.h"
#include "objdb/TableData.h"
#include <algorithm>
#include <iterator>

namespace {
// Windows-1252 at 0x80..0x9F; the rest of the 8-bit range is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int whole(const TableData& row, const char* field)
{
    return int(row.GetFieldValue(QString::fromLatin1(field)).toLongLong());
}

QString text(const TableData& row, const char* field)
{
    return row.GetFieldValue(QString::fromLatin1(field)).toString();
}
}   // namespace

QString laidOutText(QStringView laidOut, LineEncoding encoding)
{
    if (encoding == LineEncoding::Utf16) return laidOut.toString();
    bool plain = true;   // what reads the same in every encoding
    for (QChar c : laidOut)
        if (c.unicode() >= 0x80 && (encoding == LineEncoding::Utf8 || c.unicode() < 0xA0)) {
            plain = false;
            break;
        }
    if (plain) return laidOut.toString();
    if (encoding == LineEncoding::Utf8) return QString::fromUtf8(laidOut.toLatin1());
    QString text = laidOut.toString();
    for (QChar& c : text)
        if (c.unicode() >= 0x80 && c.unicode() < 0xA0) c = QChar(kCp1252High[c.unicode() - 0x80]);
    return text;
}

std::optional<QString> laidOutForm(QStringView text, LineEncoding encoding)
{
    switch (encoding) {
    case LineEncoding::Utf16: return text.toString();
    case LineEncoding::Utf8: return QString::fromLatin1(text.toUtf8());
    case LineEncoding::SingleByte: break;
    }
    QString bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            bytes += c;
            continue;
        }
        const char16_t* high = std::find(std::begin(kCp1252High), std::end(kCp1252High), u);
        if (high == std::end(kCp1252High)) return std::nullopt;
        bytes += QChar(char16_t(0x80 + (high - std::begin(kCp1252High))));
    }
    return bytes;
}

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

std::vector<LineSelection> DeliveryLayout::laidOutSelections(LineEncoding encoding) const
{
    std::vector<LineSelection> laidOut = selections;
    for (LineSelection& rule : laidOut) {
        if (std::optional<QString> form = laidOutForm(rule.content, encoding))
            rule.content = std::move(*form);
        else
            rule.position = 0;   // never matches, yet an include rule still asks for a match
    }
    return laidOut;
}

bool DeliveryLayout::keeps(QStringView line, const std::vector<LineSelection>& selections)
{
    bool kept = true;
    bool includeMet = false;
    for (const LineSelection& rule : selections) {
        // The first include rule turns the default round: from then on a line needs a match.
        if (!rule.exclude && !includeMet) {
            includeMet = true;
            kept = false;
        }
        if (rule.position < 1) continue;
        const QStringView piece
            = rule.position - 1 < line.size() ? line.mid(rule.position - 1, rule.content.size()) : QStringView();
        if (piece != rule.content) continue;
        if (rule.exclude) return false;
        kept = true;
    }
    return kept;
}
