#pragma once
// The printed document: a printer of the system (through CUPS) or a PDF file. Both count
// as the "Printer" for the print objects: page breaks and the end of the document reach
// them. Pages are started when something is drawn on them, so a page break after the last
// drawing leaves no blank sheet at the end.
#include "PrintTarget.h"

#include <QPainter>
#include <QStringList>
#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;
class QBuffer;

// The program's current printer: what a print object uses when the name it is given
// matches no installed printer.
namespace printers {
// Device names of the installed printers, in the system's order.
QStringList InstalledPrinterNames();
// Replaces the system's list (tests); null restores it.
void setInstalledPrinterProvider(std::function<QStringList()> provider);
// The system's default printer until a print object chooses another one.
QString CurrentPrinterName();
void SetCurrentPrinterName(const QString& name);
// Makes the installed printer of exactly that name (case counts) the current one; false,
// and the current printer unchanged, when none has it.
bool SelectPrinter(const QString& name);
// The whole page of the current printer (A4 when the list of printers is replaced).
QSizeF CurrentPrinterPageSizeMm();
}

class PrinterTarget final : public PrintTarget {
public:
    // A printer of the system by device name (empty: the default printer).
    static std::shared_ptr<PrinterTarget> forPrinter(const QString& printerName);
    // A PDF file of full pages of the given size, written only when the document ends.
    static std::shared_ptr<PrinterTarget> forPdf(const QString& path, const QSizeF& pageMm = QSizeF(210, 297));
    ~PrinterTarget() override;

    QString typeName() const override { return QStringLiteral("Printer"); }
    QSizeF pageSizeMm() const override;
    QSizeF scaleSizeMm() const override;
    PrintFont font() const override { return m_font; }
    void setFont(const PrintFont& font) override { m_font = font; }
    void drawText(const QPointF& at, const QString& text) override;
    void drawRect(const QRectF& rect, const QColor& color) override;
    void drawImage(const QRectF& rect, const QImage& image) override;
    void newPage() override;
    void endDocument() override;
    void abortDocument() override;

    // Pages sent by the documents ended so far.
    int pagesPrinted() const { return m_pagesPrinted; }
    QString outputDescription() const;

private:
    PrinterTarget() = default;
    void paint(const DrawOp& op);
    void begin();
    void reset();

    std::unique_ptr<QPrinter> m_printer;
    QString m_pdfPath;
    QSizeF m_pdfPage;
    QByteArray m_pdfBytes;   // the file's document, written whole when it ends
    std::unique_ptr<QBuffer> m_file;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPagedPaintDevice* m_device = nullptr;
    QPainter m_painter;
    PrintFont m_font;
    bool m_begun = false;
    bool m_closed = false;   // ended or dropped, nothing drawn since
    bool m_beginFailed = false;   // the last attempt to start the document failed (and said so)
    int m_pendingBreaks = 0;   // page breaks asked for since the last drawing
    int m_pages = 0;   // pages of the document under way
    int m_pagesPrinted = 0;
};
