#include "DeliveryFileReader.h"
#include "core/helpers/BusinessHelpers.h"
#include "objdb/Database.h"
#include "ImportFeedback.h"
#include "vbscript/ScriptEngine.h"
#include "vbscript/ScriptRecord.h"
#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <new>

namespace {
const QString kSource = QStringLiteral("DeliveryFileReader");
constexpr qint64 kChunk = 64 * 1024;

// Whether bytes given piece after piece are UTF-8: no byte that UTF-8 never writes, no
// sequence cut short, none written longer than needed, no surrogate, nothing past U+10FFFF.
class Utf8Check {
public:
    void feed(QByteArrayView bytes)
    {
        for (char byte : bytes) {
            if (m_bad) return;
            const unsigned char c = static_cast<unsigned char>(byte);
            if (m_need > 0) {
                m_bad = c < m_low || c > m_high;
                m_low = 0x80;
                m_high = 0xBF;
                --m_need;
            } else if (c >= 0x80) {
                start(c);
            }
        }
    }
    bool valid() const { return !m_bad && m_need == 0; }

private:
    void start(unsigned char c)
    {
        if (c >= 0xC2 && c <= 0xDF) {
            m_need = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            m_need = 2;
            if (c == 0xE0)
                m_low = 0xA0;
            else if (c == 0xED)
                m_high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            m_need = 3;
            if (c == 0xF0)
                m_low = 0x90;
            else if (c == 0xF4)
                m_high = 0x8F;
        } else {
            m_bad = true;
        }
    }

    int m_need = 0;
    unsigned char m_low = 0x80, m_high = 0xBF;
    bool m_bad = false;
};

const QByteArray kUtf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

// Blanks only, as fixed-width files pad with them.
QStringView trimBlanks(QStringView text)
{
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == u' ') ++first;
    while (last > first && text[last - 1] == u' ') --last;
    return text.mid(first, last - first);
}

// An empty column is Null to the script, as a record's missing value is.
vbs::Variant scriptValue(const QVariant& value)
{
    return value.isValid() ? vbs::Variant::fromQVariant(value) : vbs::Variant::null();
}

// The script's answer keeps the record only when it is True.
bool keeps(const vbs::Variant& result)
{
    const vbs::Variant v = result.valueOf();
    if (v.type() == vbs::VType::Boolean) return v.rawBool();
    return v.isNumeric() && v.toDouble() == -1.0;
}
}   // namespace

// ---- lines ------------------------------------------------------------------------------------

DeliveryLineSource::DeliveryLineSource(const QString& path) : m_file(path)
{
    auto unreadable = [&] {
        const bool missing = !QFileInfo::exists(path);
        return AppError(missing ? AppError::kFileNotFound : 75, kSource,
                        missing ? QStringLiteral("File non trovato: %1").arg(path)
                                : QStringLiteral("Impossibile aprire il file %1: %2").arg(path, m_file.errorString()));
    };
    if (!m_file.open(QIODevice::ReadOnly)) throw unreadable();
    m_bytes = m_file.read(kChunk);
    if (m_bytes.startsWith("\xFF\xFE") || m_bytes.startsWith("\xFE\xFF")) {
        m_encoding = LineEncoding::Utf16;
        m_wide.emplace(m_bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        m_text = (*m_wide)(QByteArrayView(m_bytes).sliced(2));
        m_bytes.clear();
        return;
    }
    // The encoding is the whole file's: read it through once (up to its Ctrl+Z) first.
    Utf8Check check;
    for (QByteArray piece = m_bytes; !piece.isEmpty() && check.valid(); piece = m_file.read(kChunk)) {
        const qsizetype end = piece.indexOf('\x1A');
        check.feed(end < 0 ? QByteArrayView(piece) : QByteArrayView(piece).first(end));
        if (end >= 0) break;
    }
    m_encoding = check.valid() ? LineEncoding::Utf8 : LineEncoding::SingleByte;
    if (m_file.pos() > m_bytes.size() && !m_file.seek(m_bytes.size())) throw unreadable();
}

bool DeliveryLineSource::fill()
{
    const QByteArray more = m_file.read(kChunk);
    if (more.isEmpty()) return false;
    if (m_wide) {
        m_text.remove(0, m_textPos);
        m_textPos = 0;
        m_text += (*m_wide)(more);
    } else {
        m_bytes.remove(0, m_pos);
        m_pos = 0;
        m_bytes += more;
    }
    return true;
}

qint64 DeliveryLineSource::position() const
{
    const qint64 waiting = m_wide ? 2 * (m_text.size() - m_textPos) : m_bytes.size() - m_pos;
    return std::max<qint64>(m_file.pos() - waiting, 0);
}

bool DeliveryLineSource::next(QString& line)
{
    if (m_atEnd) return false;
    return m_wide ? nextWide(line) : nextEightBit(line);
}

bool DeliveryLineSource::nextEightBit(QString& line)
{
    qsizetype scanned = m_pos;
    for (;;) {
        if (m_skipLf && m_pos < m_bytes.size()) {
            if (m_bytes[m_pos] == '\n') ++m_pos;
            m_skipLf = false;
            scanned = m_pos;
        }
        qsizetype i = scanned;
        while (i < m_bytes.size() && m_bytes[i] != '\r' && m_bytes[i] != '\n' && m_bytes[i] != '\x1A') ++i;
        if (i < m_bytes.size()) {
            const char end = m_bytes[i];
            const QByteArrayView raw(m_bytes.constData() + m_pos, i - m_pos);
            giveOut(raw, line);
            m_pos = i + 1;
            if (end == '\x1A') {
                m_atEnd = true;
                return !raw.isEmpty();
            }
            m_skipLf = end == '\r';
            return true;
        }
        const qsizetype done = i - m_pos;
        if (!fill()) {
            m_atEnd = true;
            if (m_pos >= m_bytes.size()) return false;
            giveOut(QByteArrayView(m_bytes).sliced(m_pos), line);
            m_pos = m_bytes.size();
            return true;
        }
        scanned = m_pos + done;
    }
}

void DeliveryLineSource::giveOut(QByteArrayView bytes, QString& line) const
{
    line = QString::fromLatin1(bytes);
    if (bytes.contains(kUtf8Mark)) line.remove(QString::fromLatin1(kUtf8Mark));
}

bool DeliveryLineSource::nextWide(QString& line)
{
    qsizetype scanned = m_textPos;
    for (;;) {
        if (m_skipLf && m_textPos < m_text.size()) {
            if (m_text[m_textPos] == u'\n') ++m_textPos;
            m_skipLf = false;
            scanned = m_textPos;
        }
        qsizetype i = scanned;
        while (i < m_text.size() && m_text[i] != u'\r' && m_text[i] != u'\n') ++i;
        if (i < m_text.size()) {
            line = m_text.mid(m_textPos, i - m_textPos).remove(QChar(0xFEFF));
            m_skipLf = m_text[i] == u'\r';
            m_textPos = i + 1;
            return true;
        }
        const qsizetype done = i - m_textPos;
        if (!fill()) {
            m_atEnd = true;
            if (m_textPos >= m_text.size()) return false;
            line = m_text.mid(m_textPos).remove(QChar(0xFEFF));
            m_textPos = m_text.size();
            return true;
        }
        scanned = m_textPos + done;
    }
}

// ---- errors -------------------------------------------------------------------------------------

DeliveryReadError::DeliveryReadError(const AppError& cause, qint64 record, std::optional<int> scriptLine)
    : AppError(cause.number, cause.source, cause.description), record(record), scriptLine(scriptLine)
{ }

QString DeliveryReadError::messageText() const
{
    QString text = QStringLiteral("Errore in importazione dati: \r\r") + description + u'\r';
    if (record > 0) text += QStringLiteral("\rRecord: ") + QString::number(record);
    if (scriptLine) text += QStringLiteral("\rLinea VB: ") + QString::number(*scriptLine);
    return text;
}

// ---- reading ------------------------------------------------------------------------------------

DeliveryFileReader::DeliveryFileReader(const DeliveryLayout& layout, const Database* db)
    : m_layout(layout), m_db(db) { }

QVariant DeliveryFileReader::fieldValue(QStringView line, LineEncoding encoding, const LayoutField& field,
                                        DeliveryTable::Kind kind) const
{
    using Kind = DeliveryTable::Kind;
    if (field.position <= 0 || field.position - 1 > line.size()
        || line.size() < qsizetype(field.position) + field.length - 1)
        return QVariant();
    const QString text = laidOutText(line.mid(field.position - 1, std::max(field.length, 0)), encoding);
    const QStringView piece = trimBlanks(text);
    if (kind == Kind::Text) return piece.toString();
    if (piece.isEmpty()) return kind == Kind::Number ? QVariant(0.0) : QVariant::fromValue(Currency());

    QString number = piece.toString();
    number.replace(u',', u'.');
    auto notANumber = [&] {
        return AppError(
            AppError::kTypeMismatch, kSource,
            QStringLiteral("Il valore <%1> del campo <%2> non è un numero").arg(piece.toString(), field.name));
    };
    if (kind == Kind::Number) {
        bool ok = false;
        const double value = QLocale::c().toDouble(number, &ok);
        // "nan" and "inf" read as doubles, but a quantity of no number would reach the stock.
        if (!ok || !std::isfinite(value)) throw notANumber();
        return value;
    }
    const std::optional<Currency> parsed = Currency::parse(number, QLocale::c());
    if (!parsed) throw notANumber();
    Currency amount = *parsed;
    // A file priced in the conversion currency is brought to the shop's currency first; the
    // coefficient then scales the converted amount (prices written in cents, say).
    if (m_layout.currencyConversion && m_db) amount = ConvertFromConversionCurrency(*m_db, amount);
    if (m_layout.coefficient != 0) amount = amount.dividedBy(m_layout.coefficient);
    return QVariant::fromValue(amount);
}

void DeliveryFileReader::read(const QString& path, DeliveryTable& table, ImportLoop* loop)
{
    ImportLoop quiet;
    if (!loop) loop = &quiet;
    m_lines = 0;
    m_stopped = false;
    table = DeliveryTable();
    try {
        vbs::ScriptEngine engine;
        engine.addCode(m_layout.filterScript);
        table = DeliveryTable(m_layout.fields);

        // One record for every line: the script sees each column by name, typed as the
        // column, and what it writes is converted to the column's type on the way in.
        auto record = std::make_shared<vbs::ScriptRecord>();
        std::vector<std::shared_ptr<vbs::ScriptField>> cells;
        for (int c = 0; c < table.columnCount(); ++c) {
            auto field = record->addField(table.column(c).name, vbs::Variant::null());
            field->setWriteFilter([&table, c](const vbs::Variant& v) {
                try {
                    return scriptValue(table.converted(c, v.toQVariant()));
                } catch (const vbs::ScriptError&) {
                    throw;
                } catch (const AppError& e) {
                    throw vbs::ScriptError(e.number, e.description);
                }
            });
            cells.push_back(std::move(field));
        }
        std::vector<std::pair<const LayoutField*, int>> placed;
        for (const LayoutField& f : m_layout.fields) placed.emplace_back(&f, table.indexOf(f.name));
        const vbs::VariantList args {vbs::Variant(std::static_pointer_cast<vbs::ScriptObject>(record))};

        DeliveryLineSource source(path);
        const std::vector<LineSelection> selections = m_layout.laidOutSelections(source.encoding());
        loop->start();
        ProgressPace shown(source.size()), stop(source.size());
        QString line;
        std::vector<QVariant> values(size_t(table.columnCount()));
        while (source.next(line)) {
            if (++m_lines == 1) {
                // The lines of a delivery are of one length: the first tells about how many follow.
                constexpr qint64 kMostReserved = 1 << 20;
                table.reserve(qsizetype(std::min(source.size() / (line.size() + 2) + 1, kMostReserved)));
            }
            if (shown.due(source.position()))
                loop->feedback().showMessage(QStringLiteral("Lettura dei dati... (%1)").arg(m_lines));
            if (m_lines % 10 == 0 && stop.due(source.position()) && loop->checkpoint()) {
                m_stopped = true;
                break;
            }
            if (!DeliveryLayout::keeps(line, selections)) continue;
            std::fill(values.begin(), values.end(), QVariant());
            for (const auto& [field, column] : placed)
                values[size_t(column)] = fieldValue(line, source.encoding(), *field, table.column(column).kind);
            for (size_t c = 0; c < cells.size(); ++c) cells[c]->setValue(scriptValue(values[c]));
            if (!keeps(engine.run(QStringLiteral("FilterRow"), args))) continue;
            for (size_t c = 0; c < cells.size(); ++c) values[c] = cells[c]->value().toQVariant();
            table.appendRow(values);
        }
    } catch (const vbs::ScriptError& e) {
        throw DeliveryReadError(e, m_lines, e.line);
    } catch (const DeliveryReadError&) {
        throw;
    } catch (const AppError& e) {
        throw DeliveryReadError(e, m_lines, std::nullopt);
    } catch (const std::bad_alloc&) {
        // Raised outside the script (the table of what was read): no script line to name.
        throw DeliveryReadError(
            AppError(vbs::err::kOutOfMemory, QStringLiteral("FilterRow"), vbs::errorText(vbs::err::kOutOfMemory)),
            m_lines, std::nullopt);
    }
}
