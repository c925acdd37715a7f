#include "ReportShop.h"

#include "data/DB.h"
#include "report/ReportPainter.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <cmath>

namespace longest {
const QString kCode = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
const QString kDescription = QStringLiteral("Quaderno maxi a quadretti da cinque millimetri copertina dura A4");
const QString kNote = QStringLiteral("Consegna a domicilio entro venerdi pomeriggio; citofonare al secondo piano, "
                                     "scala B, chiedere della signora Wanda Mazzoleni.");
const QString kCustomer = QStringLiteral("Cartoleria, Tabaccheria e Ricevitoria Mazzoleni & Figli di Wanda Mazzoleni "
                                         "Società in Nome Collettivo - Succursale di Bergamo");
const QString kAddress = QStringLiteral("Via Giuseppe Garibaldi Eroe dei Due Mondi numero 1234 interno 56, "
                                        "frazione Monte Marenzo Superiore, 24030 Bergamo (BG)");
const QString kPhone = QStringLiteral("+39 035 1234567 / 333 9876543 x2");
const QString kDocument = QStringLiteral("DDT 2088/012345 del 28/12/2088, consegna parziale, 2a spedizione");
const QString kSupplier = QStringLiteral("Grossisti Associati Forniture per Ufficio e Scuola Lombardia SpA");
}

void ReportShop::SetUp()
{
    m_dir = testenv::newDir(QStringLiteral("reports"));
    m_shop.emplace(testshop::Options {.path = m_dir + QStringLiteral("/Mirtavolia.mdb")});
}

void ReportShop::TearDown() { m_shop.reset(); }

std::unique_ptr<TableData> ReportShop::select(const QString& table, const QString& fields)
{
    return m_shop->db().Tables().Item(table)->Select(QString(), QString(), fields);
}

QString ReportShop::quote(const QString& text) const { return m_shop->db().QuoteText(text); }

namespace {
Currency amount(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
}

qint64 ReportShop::addArticle(const QString& code, const QString& description, const char* price, const char* purchase,
                              double stock)
{
    return m_shop->addArticle({.code = code,
                               .description = description,
                               .price = amount(price),
                               .purchasePrice = amount(purchase),
                               .stock = stock,
                               .vat = QStringLiteral("IVA20"),
                               .unit = QStringLiteral("QntPzz"),
                               .fields = {"CodiceAggiuntivo", code}});
}

qint64 ReportShop::addCustomer(const QString& name, const QString& address, const QString& phone)
{
    return m_shop->addCustomer({.name = name,
                                .code = QStringLiteral("C%1").arg(select(QStringLiteral("Clienti"))->RowCount() + 1),
                                .fields = {"Indirizzo", address, "Telefono", phone, "Cellulare", phone, "Fax", phone}});
}

qint64 ReportShop::addSale(qint64 customer, const QDateTime& when, const QString& note, qint64 article, double quantity)
{
    return m_shop->addSale({.counterpart = customer,
                            .fields = {"DataVendita", when, "Note", note},
                            .lines = {{.article = article, .quantity = quantity, .fields = {"DataScarico", when}}},
                            .storeAfterLines = true});
}

qint64 ReportShop::addSupply(const QString& supplier, const QString& document, const QString& type,
                             const QDateTime& when, const QString& note, qint64 article, double quantity,
                             const char* price)
{
    return m_shop->addSupply(
        {.counterpart = m_shop->addSupplier(supplier),
         .fields = {"TipoDocumento", type, "Documento", document, "DataFornitura", when, "Note", note},
         .lines = {{.article = article, .quantity = quantity, .price = amount(price)}},
         .storeAfterLines = true});
}

void ReportShop::fillWithLongValues()
{
    const qint64 big = addArticle(longest::kCode, longest::kDescription, "99999.99", "88888.88", 9999.99);
    const qint64 pen = addArticle(QStringLiteral("P1"), QStringLiteral("Penna"), "1.50", "0.50", 10);
    const qint64 far = addCustomer(longest::kCustomer, longest::kAddress, longest::kPhone);
    const qint64 near
        = addCustomer(QStringLiteral("Rossi Mario"), QStringLiteral("Via Roma 1"), QStringLiteral("035 111"));
    addSale(far, QDateTime(QDate(2088, 12, 28), QTime(23, 58)), longest::kNote, big, 999);
    addSale(near, QDateTime(QDate(2007, 3, 1), QTime(9, 5)), QString(), pen, 2);
    addSupply(longest::kSupplier, longest::kDocument, QStringLiteral("Fattura"),
              QDateTime(QDate(2088, 12, 28), QTime(23, 58)), longest::kNote, big, 999, "88888.88");
}

std::unique_ptr<TableData> ReportShop::viewFor(const QString& layout)
{
    // The computed columns of the stock and sales views, in the spirit of the main window's
    // (any expression serves: the layouts only read the columns by name).
    const QString vat = QStringLiteral("CodiciIva.Percentuale");
    if (layout == u"drArticoli") return select(QStringLiteral("Articoli"), QStringLiteral("*, CodiceIva"));
    if (layout == u"drForniture")
        return select(QStringLiteral("Forniture"),
                      QStringLiteral("*, ImportoAcquisto, DataFornitura, Fornitore, TipoDocumento"));
    if (layout == u"drVendite") return select(QStringLiteral("Vendite"), QStringLiteral("*, Cliente"));
    if (layout == u"drArticoliVenduti")
        return select(QStringLiteral("ScaricoArticoli"),
                      QStringLiteral("*, %1, (PrezzoAcquisto*ValoreScarico) AS Costo, "
                                     "(ImportoScarico - PrezzoAcquisto*ValoreScarico) AS Guadagno")
                          .arg(vat));
    if (layout == u"drInventarioMagazzino")
        return select(QStringLiteral("Articoli"),
                      QStringLiteral("*, CodiceIva, (PrezzoVendita*ValoreScorta) AS Valore, "
                                     "(PrezzoAcquisto*ValoreScorta) AS Costo, "
                                     "(PrezzoVendita*ValoreScorta - PrezzoAcquisto*ValoreScorta) AS Guadagno"));
    if (layout == u"drImponibileVendite")
        return select(QStringLiteral("ScaricoArticoli"),
                      QStringLiteral("*, (ImportoScarico/(1 + %1/100)) AS Imponibile, "
                                     "(ImportoScarico - ImportoScarico/(1 + %1/100)) AS ImportoIVA")
                          .arg(vat));
    if (layout == u"drImponibileMagazzino")
        return select(QStringLiteral("Articoli"),
                      QStringLiteral("*, CodiceIva, (PrezzoAcquisto*ValoreScorta) AS Imponibile, "
                                     "((PrezzoAcquisto*ValoreScorta)*%1/100) AS ImportoIVA")
                          .arg(vat));
    if (layout == u"drClienti") return select(QStringLiteral("Clienti"));
    ADD_FAILURE() << "no view for " << layout.toStdString();
    return nullptr;
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000)) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

namespace {

// The part `area` (device pixels) of a page drawn at `dpi`.
QImage renderPage(const report::ReportDocument& doc, int page, int dpi, QRect area = QRect())
{
    const double dpmm = dpi / 25.4;
    const QSizeF mm = doc.page.sizeMm();
    if (area.isNull()) area = QRect(0, 0, int(std::ceil(mm.width() * dpmm)), int(std::ceil(mm.height() * dpmm)));
    QImage image(area.size(), QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(dpmm * 1000));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter p(&image);
    p.translate(-area.topLeft());
    report::paintPage(p, doc, page, dpmm, dpmm);
    return image;
}

bool hasText(const report::PlacedItem& item)
{
    return !item.text.isEmpty() && item.kind != report::ItemKind::Line && item.kind != report::ItemKind::Box;
}

// The item's rect grown where its text may run on without moving: away from the side it is
// aligned to, and on both sides when centred. A wrapped text keeps its width, which decides
// its lines.
QRectF roomy(const report::PlacedItem& item)
{
    constexpr double kMore = 150;
    QRectF r = item.rect;
    if (!item.wordWrap) {
        const Qt::Alignment h = item.alignment & Qt::AlignHorizontal_Mask;
        if (h & Qt::AlignRight)
            r.setLeft(r.left() - kMore);
        else if (h & Qt::AlignHCenter)
            r.adjust(-kMore, 0, kMore, 0);
        else
            r.setRight(r.right() + kMore);
    }
    const Qt::Alignment v = item.alignment & Qt::AlignVertical_Mask;
    if (v & Qt::AlignTop)
        r.setBottom(r.bottom() + kMore);
    else if (v & Qt::AlignBottom)
        r.setTop(r.top() - kMore);
    else
        r.adjust(0, -kMore, 0, kMore);
    return r;
}

}   // namespace

QStringList cutTexts(const report::ReportDocument& doc, int dpi)
{
    const double dpmm = dpi / 25.4;
    QStringList cut;
    for (int p = 0; p < doc.pageCount(); ++p) {
        report::ReportDocument unclipped = doc;
        for (auto& band : unclipped.pages[p].bands)
            for (auto& item : band.items)
                if (hasText(item)) item.rect = roomy(item);
        const QImage asPrinted = renderPage(doc, p, dpi);
        const QImage free = renderPage(unclipped, p, dpi);
        // Ink that only the unclipped page has: grey levels far apart, not a shade of
        // antialiasing.
        QList<QPoint> lost;
        for (int y = 0; y < asPrinted.height(); ++y) {
            const auto* a = reinterpret_cast<const QRgb*>(asPrinted.constScanLine(y));
            const auto* b = reinterpret_cast<const QRgb*>(free.constScanLine(y));
            for (int x = 0; x < asPrinted.width(); ++x)
                if (std::abs(qGray(a[x]) - qGray(b[x])) > 100) lost.append(QPoint(x, y));
        }
        if (lost.isEmpty()) continue;
        // The texts that ran out of their rects: drawn alone with all their room, they ink
        // some of the lost points.
        QRect area;
        for (const QPoint& pt : lost) area |= QRect(pt, QSize(1, 1));
        for (const auto& band : doc.pages[p].bands)
            for (const auto& item : band.items) {
                if (!hasText(item)) continue;
                report::ReportDocument alone = unclipped;
                auto& bands = alone.pages[p].bands;
                bands.clear();
                report::PlacedBand only;
                report::PlacedItem roomyItem = item;
                roomyItem.rect = roomy(item);
                only.items.append(roomyItem);
                bands.append(only);
                const QImage ink = renderPage(alone, p, dpi, area);
                const QRectF inside(item.rect.x() * dpmm - 1, item.rect.y() * dpmm - 1, item.rect.width() * dpmm + 2,
                                    item.rect.height() * dpmm + 2);
                for (const QPoint& pt : lost)
                    if (!inside.contains(pt) && qGray(ink.pixel(pt - area.topLeft())) < 128) {
                        cut << QStringLiteral("page %1: %2").arg(p + 1).arg(item.text);
                        break;
                    }
            }
        if (cut.isEmpty()) cut << QStringLiteral("page %1: %2 pixels of some text").arg(p + 1).arg(lost.size());
    }
    return cut;
}
