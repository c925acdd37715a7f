#include "frmLabelPreview.h"

#include "core/configuration/Configuration.h"
#include "dialogs/WindowRegistry.h"
#include "printing/clsScriptPrinter.h"

// As the settings dialog shows it: a row of labels of a sample article, in the saved size.
MV_REGISTER_WINDOW(frmLabelPreview, [] {
    auto target = std::make_shared<PreviewTarget>();
    clsScriptPrinter prn;
    const LabelPrinterSettings& s = settings().LabelPrinterParam;
    prn.SetPrinter(target, s.LabelHeight, s.LabelWidth, s.LabelTop, s.LabelLeft, int16_t(s.ModuleColumns));
    for (int i = 0; i < std::max(1, s.ModuleColumns); ++i) {
        prn.SetFont(13, true, false, QStringLiteral("DejaVu Sans"));
        prn.TxtOut(0, 0, QStringLiteral("Quaderno a quadretti A4"));
        prn.SetFont(28, true, false, QStringLiteral("DejaVu Sans Mono"));
        prn.TxtOut(12, 16, QStringLiteral("1,50"));
        prn.SetFont(9, true, false, QStringLiteral("DejaVu Sans Mono"));
        prn.TxtOut(25, 22, QStringLiteral("8001234567890"));
        prn.NextLabel();
    }
    return new frmLabelPreview(target);
});
