#include "DeliveryTable.h"
#include "base/AppError.h"
#include "vbscript/ScriptError.h"
#include "vbscript/Variant.h"
#include <algorithm>
#include <numeric>

namespace {
const QString kSource = QStringLiteral("DeliveryTable");

// Codes and descriptions are always text, whatever type the layout gives them.
bool isCodeOrDescription(const QString& name) { return QStringLiteral("CODICE,DESCRIZIONE").contains(name.toUpper()); }
}   // namespace

DeliveryTable::DeliveryTable(const std::vector<LayoutField>& fields)
{
    for (const LayoutField& f : fields)
        if (isCodeOrDescription(f.name)) addColumn(f.name, Kind::Text, f.length);
    for (const LayoutField& f : fields) {
        if (isCodeOrDescription(f.name)) continue;
        addColumn(f.name, f.amount ? Kind::Amount : f.numeric ? Kind::Number : Kind::Text, f.length);
    }
    m_codice = indexOf(QStringLiteral("Codice"));
}

void DeliveryTable::addColumn(const QString& name, Kind kind, int width)
{
    for (const Column& c : m_columns)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            throw AppError(AppError::kInvalidCall, kSource,
                           QStringLiteral("Il campo <%1> compare più volte nel tracciato").arg(name));
    m_columns.push_back({name, kind, std::max(width, 0)});
    m_cells.emplace_back();
}

int DeliveryTable::indexOf(const QString& name) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].name == name) return int(i);
    return -1;
}

QVariant DeliveryTable::converted(int column, const QVariant& value) const
{
    if (value.isNull() || !value.isValid()) return QVariant();
    const Column& c = m_columns[size_t(column)];
    // A value read from the file already has the column's type: every line passes here,
    // and the script language's conversion would give the same value back.
    switch (c.kind) {
    case Kind::Number:
        if (value.typeId() == QMetaType::Double) return value;
        break;
    case Kind::Amount:
        if (value.typeId() == qMetaTypeId<Currency>()) return value;
        break;
    case Kind::Text:
        if (value.typeId() == QMetaType::QString && (c.width <= 0 || value.toString().size() <= c.width)) return value;
        break;
    }
    // The script language's conversions, so that a script's value lands as it would
    // compare in the script.
    const vbs::Variant v = vbs::Variant::fromQVariant(value);
    switch (c.kind) {
    case Kind::Number: return v.toDouble();
    case Kind::Amount: return QVariant::fromValue(v.toCurrency());
    case Kind::Text: {
        QString text = v.isString() ? v.rawString() : v.toString();
        if (c.width > 0 && text.size() > c.width)
            throw AppError(AppError::kInvalidCall, kSource,
                           QStringLiteral("Il valore <%1> supera la lunghezza del campo <%2> (%3 caratteri)")
                               .arg(text, c.name)
                               .arg(c.width));
        return text;
    }
    }
    return QVariant();
}

void DeliveryTable::store(Cells& cells, size_t row, const Column& column, const QVariant& value)
{
    const bool empty = value.isNull() || !value.isValid();
    cells.empty[row] = empty;
    switch (column.kind) {
    case Kind::Text: cells.texts[row] = empty ? QString() : value.toString(); break;
    case Kind::Number: cells.numbers[row] = empty ? 0.0 : value.toDouble(); break;
    case Kind::Amount: cells.amounts[row] = empty ? 0 : value.value<Currency>().units(); break;
    }
}

void DeliveryTable::reserve(qsizetype rows)
{
    const size_t n = size_t(std::max<qsizetype>(rows, 0));
    for (size_t i = 0; i < m_columns.size(); ++i) {
        Cells& cells = m_cells[i];
        cells.empty.reserve(n);
        switch (m_columns[i].kind) {
        case Kind::Text: cells.texts.reserve(n); break;
        case Kind::Number: cells.numbers.reserve(n); break;
        case Kind::Amount: cells.amounts.reserve(n); break;
        }
    }
    m_articles.reserve(n);
}

qsizetype DeliveryTable::appendRow(const std::vector<QVariant>& values)
{
    // Converted first, so a value that does not fit leaves no half row behind.
    std::vector<QVariant> row(m_columns.size());
    for (size_t i = 0; i < m_columns.size() && i < values.size(); ++i) row[i] = converted(int(i), values[i]);
    const size_t at = size_t(m_rowCount);
    for (size_t i = 0; i < m_columns.size(); ++i) {
        Cells& cells = m_cells[i];
        cells.empty.push_back(1);
        switch (m_columns[i].kind) {
        case Kind::Text: cells.texts.emplace_back(); break;
        case Kind::Number: cells.numbers.push_back(0); break;
        case Kind::Amount: cells.amounts.push_back(0); break;
        }
        store(cells, at, m_columns[i], row[i]);
    }
    m_articles.push_back(0);
    return m_rowCount++;
}

QVariant DeliveryTable::value(qsizetype row, int column) const
{
    const Cells& cells = m_cells[size_t(column)];
    const size_t r = size_t(row);
    if (cells.empty[r]) return QVariant();
    switch (m_columns[size_t(column)].kind) {
    case Kind::Text: return cells.texts[r];
    case Kind::Number: return cells.numbers[r];
    case Kind::Amount: return QVariant::fromValue(Currency::fromUnits(cells.amounts[r]));
    }
    return QVariant();
}

QVariant DeliveryTable::value(qsizetype row, const QString& name) const
{
    const int c = indexOf(name);
    return c < 0 ? QVariant() : value(row, c);
}

void DeliveryTable::setValue(qsizetype row, int column, const QVariant& v)
{
    const QVariant stored = converted(column, v);
    if (column == m_codice && stored != value(row, column)) m_articles[size_t(row)] = 0;
    store(m_cells[size_t(column)], size_t(row), m_columns[size_t(column)], stored);
}

void DeliveryTable::sortBy(int column)
{
    const Cells& cells = m_cells[size_t(column)];
    const Kind kind = m_columns[size_t(column)].kind;
    std::vector<size_t> order(static_cast<size_t>(m_rowCount));
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (cells.empty[a] || cells.empty[b]) return cells.empty[a] && !cells.empty[b];
        switch (kind) {
        case Kind::Text: return cells.texts[a].compare(cells.texts[b], Qt::CaseInsensitive) < 0;
        case Kind::Number: return cells.numbers[a] < cells.numbers[b];
        case Kind::Amount: return cells.amounts[a] < cells.amounts[b];
        }
        return false;
    });
    auto permute = [&order](auto& values) {
        std::remove_reference_t<decltype(values)> sorted;
        sorted.reserve(values.size());
        for (size_t i : order) sorted.push_back(std::move(values[i]));
        values = std::move(sorted);
    };
    for (Cells& c : m_cells) {
        permute(c.empty);
        if (!c.texts.empty()) permute(c.texts);
        if (!c.numbers.empty()) permute(c.numbers);
        if (!c.amounts.empty()) permute(c.amounts);
    }
    permute(m_articles);
}

void DeliveryTable::sortForDisplay()
{
    int column = indexOf(QStringLiteral("Descrizione"));
    if (column < 0) column = indexOf(QStringLiteral("Codice"));
    if (column >= 0) sortBy(column);
}
