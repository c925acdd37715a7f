#include "ReportOutput.h"
#include "base/AppError.h"
#include "report/ReportHtml.h"
#include "report/ReportPainter.h"
#include "base/UiServices.h"
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <exception>

namespace report {

bool printReport(const ReportDocument& doc, QWidget* parent, bool showDialog)
{
    QPrinter printer(QPrinter::HighResolution);
    configureDevice(printer, doc.page);
    printer.setDocName(doc.title.isEmpty() ? doc.caption : doc.title);
    if (showDialog) {
        QPrintDialog dialog(&printer, parent);
        dialog.setMinMax(1, doc.pageCount());
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        if (dialog.exec() != QDialog::Accepted) return false;
        configureDevice(printer, doc.page);   // the dialog may have put the printer's margins back
    }
    renderToDevice(doc, printer, printer.fromPage(), printer.toPage());
    return true;
}

void previewReport(const ReportDocument& doc, QWidget* parent, bool maximized)
{
    QPrinter printer(QPrinter::HighResolution);
    configureDevice(printer, doc.page);
    printer.setDocName(doc.title.isEmpty() ? doc.caption : doc.title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(doc.title.isEmpty() ? doc.caption : doc.title);
    // An error must not cross the dialog's event loop: keep it and raise it afterwards.
    std::exception_ptr failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* p) {
        try {
            configureDevice(*p, doc.page);
            renderToDevice(doc, *p, p->fromPage(), p->toPage());
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (maximized) dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    dialog.exec();
    if (failure) std::rethrow_exception(failure);
}

void exportToFile(const ReportDocument& doc, const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("pdf"))
        writePdf(doc, path);
    else if (suffix == QStringLiteral("htm") || suffix == QStringLiteral("html"))
        writeHtml(doc, path);
    else
        throw AppError::object(
            4, QStringLiteral("Report"),
            QStringLiteral("Formato di esportazione non previsto: \"%1\" (usare .pdf, .htm o .html).").arg(path));
}

bool exportReport(const ReportDocument& doc)
{
    QString base = doc.title.isEmpty() ? doc.caption : doc.title;
    base.replace(u'/', u'-').replace(u'\\', u'-');
    auto chosen = ui().saveFileName(QStringLiteral("Esporta report"),
                                    QStringLiteral("Documento PDF (*.pdf);;Pagina HTML (*.htm *.html)"),
                                    base.isEmpty() ? QStringLiteral("Report.pdf") : base + QStringLiteral(".pdf"));
    if (!chosen || chosen->trimmed().isEmpty()) return false;
    QString path = chosen->trimmed();
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    exportToFile(doc, path);
    return true;
}

}   // namespace report
