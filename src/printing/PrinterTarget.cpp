#include "PrinterTarget.h"

#include "base/AppError.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <optional>
#include <QBuffer>
#include <QSaveFile>
#include "base/FileOps.h"

namespace {

std::function<QStringList()>& printerProvider()
{
    static std::function<QStringList()> provider;
    return provider;
}

std::optional<QString>& currentPrinter()
{
    static std::optional<QString> name;
    return name;
}

AppError printFailure(int code, const QString& description)
{
    return AppError::object(code, QString::fromLatin1(printerr::kSource), description);
}

}   // namespace

namespace printers {

QStringList InstalledPrinterNames()
{
    if (printerProvider()) return printerProvider()();
    return QPrinterInfo::availablePrinterNames();
}

void setInstalledPrinterProvider(std::function<QStringList()> provider)
{
    printerProvider() = std::move(provider);
    currentPrinter().reset();
}

QString CurrentPrinterName()
{
    if (!currentPrinter()) currentPrinter() = printerProvider() ? QString() : QPrinterInfo::defaultPrinterName();
    return *currentPrinter();
}

void SetCurrentPrinterName(const QString& name) { currentPrinter() = name; }

bool SelectPrinter(const QString& name)
{
    for (const QString& installed : InstalledPrinterNames()) {
        if (installed == name) {
            currentPrinter() = installed;
            return true;
        }
    }
    return false;
}

QSizeF CurrentPrinterPageSizeMm()
{
    if (printerProvider()) return QSizeF(210, 297);
    QPrinter printer;
    const QString name = CurrentPrinterName();
    if (!name.isEmpty()) printer.setPrinterName(name);
    return printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
}

}   // namespace printers

std::shared_ptr<PrinterTarget> PrinterTarget::forPrinter(const QString& printerName)
{
    std::shared_ptr<PrinterTarget> t(new PrinterTarget);
    t->m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!printerName.isEmpty()) t->m_printer->setPrinterName(printerName);
    t->m_device = t->m_printer.get();
    return t;
}

std::shared_ptr<PrinterTarget> PrinterTarget::forPdf(const QString& path, const QSizeF& pageMm)
{
    std::shared_ptr<PrinterTarget> t(new PrinterTarget);
    t->m_pdfPath = path;
    t->m_pdfPage = pageMm;
    return t;
}

PrinterTarget::~PrinterTarget()
{
    // A document nobody ended was not meant to be printed.
    if (m_begun) abortDocument();
}

QString PrinterTarget::outputDescription() const
{
    if (!m_pdfPath.isEmpty()) return m_pdfPath;
    return m_printer->printerName();
}

QSizeF PrinterTarget::pageSizeMm() const
{
    if (!m_printer) return m_pdfPage;
    return m_printer->pageLayout().fullRect(QPageLayout::Millimeter).size();
}

QSizeF PrinterTarget::scaleSizeMm() const
{
    if (!m_printer) return m_pdfPage;
    return m_printer->pageLayout().paintRect(QPageLayout::Millimeter).size();
}

void PrinterTarget::begin()
{
    if (m_begun) return;
    m_beginFailed = true;
    if (!m_pdfPath.isEmpty()) {
        {
            // Told at the first drawing, as a printer that is not there would be.
            QSaveFile probe(m_pdfPath);
            if (!probe.open(QIODevice::WriteOnly))
                throw printFailure(
                    printerr::kDeviceNotReady,
                    QStringLiteral("Impossibile creare il file \"%1\": %2").arg(m_pdfPath, probe.errorString()));
            probe.cancelWriting();
        }
        // The document is drawn in memory and written in one checked write when it ends: the
        // PDF writer does not tell when its device refuses bytes.
        m_pdfBytes.clear();
        m_file = std::make_unique<QBuffer>(&m_pdfBytes);
        m_file->open(QIODevice::WriteOnly);
        m_pdf = std::make_unique<QPdfWriter>(m_file.get());
        m_pdf->setResolution(600);
        m_pdf->setCreator(QStringLiteral("Mirtavolia"));
        m_pdf->setPageLayout(QPageLayout(QPageSize(m_pdfPage, QPageSize::Millimeter), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        m_device = m_pdf.get();
    }
    if (!m_painter.begin(m_device)) {
        const QString name = outputDescription();
        reset();
        throw printFailure(printerr::kDeviceNotReady,
                           QStringLiteral("La stampante \"%1\" non e' disponibile.").arg(name));
    }
    m_begun = true;
    m_beginFailed = false;
    m_closed = false;
    m_pages = 1;
}

void PrinterTarget::paint(const DrawOp& op)
{
    begin();
    for (; m_pendingBreaks > 0; --m_pendingBreaks) {
        if (!m_device->newPage())
            throw printFailure(printerr::kDocumentFailed,
                               QStringLiteral("Impossibile passare alla pagina successiva."));
        ++m_pages;
    }
    paintDrawOp(m_painter, op, m_device->logicalDpiX() / 25.4, m_device->logicalDpiY() / 25.4);
}

void PrinterTarget::drawText(const QPointF& at, const QString& text)
{
    DrawOp op;
    op.kind = DrawOp::Text;
    op.rect = QRectF(at, QSizeF());
    op.text = text;
    op.font = m_font;
    paint(op);
}

void PrinterTarget::drawRect(const QRectF& rect, const QColor& color)
{
    DrawOp op;
    op.kind = DrawOp::Rect;
    op.rect = rect;
    op.color = color;
    paint(op);
}

void PrinterTarget::drawImage(const QRectF& rect, const QImage& image)
{
    DrawOp op;
    op.kind = DrawOp::Image;
    op.rect = rect;
    op.image = image;
    paint(op);
}

void PrinterTarget::newPage() { ++m_pendingBreaks; }

void PrinterTarget::endDocument()
{
    // A file is always written, blank when nothing was drawn; a printer gets no empty job.
    // A document already ended or dropped is not ended again.
    if (!m_begun && m_closed) return;
    // A document that could not be started was reported to the drawing that tried: ending
    // it would only meet the same failure again.
    if (!m_begun && m_beginFailed) {
        m_closed = true;
        return;
    }
    if (!m_begun && !m_pdfPath.isEmpty()) begin();
    if (!m_begun) {
        m_pendingBreaks = 0;
        return;
    }
    const int pages = m_pages;
    const bool painted = m_painter.end();
    bool written = painted;
    QString why;
    if (m_file) {
        m_pdf.reset();   // flushes the writer into the buffer
        written = painted && fileOps().writeFile(m_pdfPath, m_pdfBytes);
        if (painted && !written) why = fileOps().lastError();
    }
    const QString name = outputDescription();
    reset();
    m_closed = true;
    if (!written) {
        throw printFailure(printerr::kDocumentFailed,
                           why.isEmpty() ? QStringLiteral("Impossibile completare la stampa su \"%1\".").arg(name)
                                         : QStringLiteral("Impossibile scrivere il file \"%1\": %2").arg(name, why));
    }
    m_pagesPrinted += pages;
}

void PrinterTarget::abortDocument()
{
    if (m_begun) {
        if (m_printer) m_printer->abort();
        m_painter.end();
        m_pdf.reset();
    }
    reset();
    m_closed = true;
}

void PrinterTarget::reset()
{
    m_pdf.reset();
    m_file.reset();
    m_pdfBytes.clear();
    if (!m_pdfPath.isEmpty()) m_device = nullptr;
    m_begun = false;
    m_pendingBreaks = 0;
    m_pages = 0;
}
