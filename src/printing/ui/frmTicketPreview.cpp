#include "frmTicketPreview.h"

#include "core/configuration/Configuration.h"
#include "dialogs/WindowRegistry.h"
#include "printing/clsTiketScriptPrinter.h"

// As the settings dialog shows it: a receipt of three sample rows, in the saved geometry.
MV_REGISTER_WINDOW(frmTicketPreview, [] {
    auto target = std::make_shared<PreviewTarget>();
    clsTiketScriptPrinter prn;
    const TicketPrinterSettings& s = settings().TicketPrinterParam;
    prn.SetPrinter(target, s.TicketHeight, s.TicketWidth, s.TicketTop, s.TicketLeft, int16_t(s.ModuleColumns),
                   s.TicketRowsDim, s.TicketRowsTop, s.TicketRowsBottom, QString(), s.TicketBottomImageBorder);
    prn.SetFont(12, false, false, QStringLiteral("DejaVu Sans"));
    prn.SetRowPrinting(true);
    const char* rows[] = {"Quaderno a quadretti A4      1,50", "Penna a sfera blu            0,90",
                          "Risma carta 500 fogli        4,20"};
    for (int i = 0; i < 3; ++i) {
        if (i > 0) prn.NextTicketRow();
        prn.TxtOut(0, 10, QString::fromLatin1(rows[i]));
    }
    prn.SetRowPrinting(false);
    prn.SetFont(20, true, false, QStringLiteral("DejaVu Sans"));
    prn.TxtOut(20, 10, QStringLiteral("Ricevuta n. 1"));
    prn.NextTicket();
    return new frmTicketPreview(target);
});
