#include "frmLabelPrintSetting.h"

#include "core/configuration/DefaultScripts.h"
#include "dialogs/WindowRegistry.h"

#include <QPushButton>

frmLabelPrintSetting::frmLabelPrintSetting(QWidget* parent)
    : PrintSettingDialogOf(parent,
                           {"frmLabelPrintSetting", "Impostazione stampa etichette", "Numero di etichette per riga:",
                            "Numero di etichette stampabili nella stessa riga del modulo",
                            "VB Script di composizione comandi per la stampa dell'etichetta:", "LabelPrint.vbs",
                            DefaultLabelScript, "Articoli"})
{
    bind(addBox(1, 0, QStringLiteral("Altezza Etichetta (mm):"), QStringLiteral("Altezza dell'etichetta (millimetri)"),
                QStringLiteral("txtLabelHeight")),
         &LabelPrinterSettings::LabelHeight);
    bind(addBox(1, 1, QStringLiteral("Larghezza (mm):"), QStringLiteral("Larghezza dell'etichetta (millimetri)"),
                QStringLiteral("txtLabelWidth")),
         &LabelPrinterSettings::LabelWidth);
    bind(addBox(2, 0, QStringLiteral("Margine Superiore (mm):"),
                QStringLiteral("Margine superiore della prima etichetta (millimetri)"), QStringLiteral("txtLabelTop")),
         &LabelPrinterSettings::LabelTop);
    bind(addBox(2, 1, QStringLiteral("Sinistro (mm):"),
                QStringLiteral("Margine sinistro della prima etichetta (millimetri)"), QStringLiteral("txtLabelLeft")),
         &LabelPrinterSettings::LabelLeft);
    m_cmdTest->setToolTip(QStringLiteral("Stampa una etichetta di prova"));
    showSettings(settings().LabelPrinterParam);
    adjustSize();
}

MV_REGISTER_WINDOW(frmLabelPrintSetting);
