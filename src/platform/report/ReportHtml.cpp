#include "ReportHtml.h"
#include "base/AppError.h"
#include <QMap>
#include "base/FileOps.h"
#include <algorithm>
#include <cmath>

namespace report {

namespace {
const QString kSource = QStringLiteral("Report");

// Positions compare at a tenth of a millimetre.
int key(double mm) { return static_cast<int>(std::lround(mm * 10)); }

bool isText(const PlacedItem& i) { return i.kind != ItemKind::Line && i.kind != ItemKind::Box; }

QString bandClass(BandKind k)
{
    switch (k) {
    case BandKind::ReportHeader: return QStringLiteral("report-header");
    case BandKind::PageHeader: return QStringLiteral("page-header");
    case BandKind::GroupHeader: return QStringLiteral("group-header");
    case BandKind::Detail: return QStringLiteral("detail");
    case BandKind::GroupFooter: return QStringLiteral("group-footer");
    case BandKind::PageFooter: return QStringLiteral("page-footer");
    case BandKind::ReportFooter: return QStringLiteral("report-footer");
    }
    return {};
}

QString escape(const QString& s)
{
    QString e = s.toHtmlEscaped();
    e.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    e.replace(u'\n', QStringLiteral("<br>"));
    e.replace(u'\r', QStringLiteral("<br>"));
    return e;
}

QString emptyCells(int span)
{
    return span == 1 ? QStringLiteral("<td></td>") : QStringLiteral("<td colspan=\"%1\"></td>").arg(span);
}

class HtmlWriter {
public:
    HtmlWriter(const ReportDocument& doc, HtmlMode mode) : m_doc(doc), m_mode(mode) { }
    QString run();

private:
    QList<QList<const PlacedBand*>> tables() const;
    void writeBand(QString& out, const PlacedBand& band) const;
    QString cellStyle(const PlacedItem& it) const;

    const ReportDocument& m_doc;
    HtmlMode m_mode;
    QList<int> m_columns;   // left edges (keys), ascending
    double m_baseSize = 9;
};

QList<QList<const PlacedBand*>> HtmlWriter::tables() const
{
    QList<QList<const PlacedBand*>> out;
    if (m_mode == HtmlMode::PerPage) {
        for (const ReportPage& p : m_doc.pages) {
            QList<const PlacedBand*> t;
            for (const PlacedBand& b : p.bands) t.append(&b);
            out.append(t);
        }
        return out;
    }
    QList<const PlacedBand*> t;
    bool headerDone = false;
    for (const ReportPage& p : m_doc.pages) {
        for (const PlacedBand& b : p.bands) {
            if (b.kind == BandKind::PageFooter) continue;
            if (b.kind == BandKind::PageHeader) {
                if (headerDone) continue;
                headerDone = true;
            }
            // A header repeated at the top of a new page says nothing new in one long table.
            if (b.repeated) continue;
            t.append(&b);
        }
    }
    out.append(t);
    return out;
}

QString HtmlWriter::cellStyle(const PlacedItem& it) const
{
    QStringList s;
    if (it.alignment & Qt::AlignRight)
        s << QStringLiteral("text-align:right");
    else if (it.alignment & Qt::AlignHCenter)
        s << QStringLiteral("text-align:center");
    if (it.font.bold) s << QStringLiteral("font-weight:bold");
    if (it.font.italic) s << QStringLiteral("font-style:italic");
    if (std::abs(it.font.pointSize - m_baseSize) > 0.01) s << QStringLiteral("font-size:%1pt").arg(it.font.pointSize);
    return s.isEmpty() ? QString() : QStringLiteral(" style=\"%1\"").arg(s.join(u';'));
}

void HtmlWriter::writeBand(QString& out, const PlacedBand& band) const
{
    // Items of a band form rows by their top edge, cells by their left edge.
    QMap<int, QList<const PlacedItem*>> rows;
    for (const PlacedItem& it : band.items)
        if (isText(it)) rows[key(it.rect.top()) / 5].append(&it);   // half-millimetre rows
    if (rows.isEmpty()) return;
    const int ncols = static_cast<int>(m_columns.size());
    for (auto& items : rows) {
        std::stable_sort(items.begin(), items.end(),
                         [](const PlacedItem* a, const PlacedItem* b) { return a->rect.left() < b->rect.left(); });
        out += QStringLiteral("<tr class=\"%1\">").arg(bandClass(band.kind));
        int col = 0;
        for (int i = 0; i < items.size(); ++i) {
            const PlacedItem& it = *items[i];
            const int start
                = std::max(col,
                           static_cast<int>(std::lower_bound(m_columns.begin(), m_columns.end(), key(it.rect.left()))
                                            - m_columns.begin()));
            int next = i + 1 < items.size()
                ? static_cast<int>(std::lower_bound(m_columns.begin(), m_columns.end(), key(items[i + 1]->rect.left()))
                                   - m_columns.begin())
                : ncols;
            int end = static_cast<int>(std::lower_bound(m_columns.begin(), m_columns.end(), key(it.rect.right()))
                                       - m_columns.begin());
            end = std::clamp(std::min(end, next), start + 1, std::max(start + 1, ncols));
            if (start > col) out += emptyCells(start - col);
            out += QStringLiteral("<td");
            if (end - start > 1) out += QStringLiteral(" colspan=\"%1\"").arg(end - start);
            out += cellStyle(it) + u'>' + escape(it.text) + QStringLiteral("</td>");
            col = end;
        }
        if (col < ncols) out += emptyCells(ncols - col);
        out += QStringLiteral("</tr>\n");
    }
}

QString HtmlWriter::run()
{
    const auto groups = tables();
    QMap<double, int> sizes;
    for (const auto& t : groups)
        for (const PlacedBand* b : t)
            for (const PlacedItem& it : b->items)
                if (isText(it)) {
                    const int k = key(it.rect.left());
                    if (!m_columns.contains(k)) m_columns.append(k);
                    ++sizes[it.font.pointSize];
                }
    std::sort(m_columns.begin(), m_columns.end());
    if (!sizes.isEmpty()) m_baseSize = std::max_element(sizes.begin(), sizes.end()).key();

    const QString title = escape(m_doc.title.isEmpty() ? m_doc.caption : m_doc.title);
    QString out;
    out += QStringLiteral("<!DOCTYPE html>\n<html lang=\"it\">\n<head>\n<meta charset=\"utf-8\">\n");
    out += QStringLiteral("<title>%1</title>\n").arg(title);
    out += QStringLiteral("<style>\nbody{font-family:sans-serif;font-size:%1pt}\n"
                          "table{border-collapse:collapse;width:100%}\n"
                          "td{padding:1px 4px;vertical-align:top}\n"
                          "table.page{page-break-after:always;margin-bottom:2em}\n"
                          "</style>\n</head>\n<body>\n")
               .arg(m_baseSize);
    for (const auto& t : groups) {
        out += m_mode == HtmlMode::PerPage ? QStringLiteral("<table class=\"page\">\n") : QStringLiteral("<table>\n");
        for (const PlacedBand* b : t) writeBand(out, *b);
        out += QStringLiteral("</table>\n");
    }
    out += QStringLiteral("</body>\n</html>\n");
    return out;
}
}   // namespace

QString toHtml(const ReportDocument& doc, HtmlMode mode) { return HtmlWriter(doc, mode).run(); }

void writeHtml(const ReportDocument& doc, const QString& path, HtmlMode mode)
{
    if (!fileOps().writeFile(path, toHtml(doc, mode).toUtf8()))
        throw AppError::object(
            3, kSource, QStringLiteral("Impossibile scrivere il file \"%1\": %2").arg(path, fileOps().lastError()));
}

}   // namespace report
