#include "frmLabelPrintSetting.h"

#include "AppError.h"
#include "DefaultScripts.h"
#include "PrintScriptFiles.h"
#include "PrintSettings.h"
#include "TableData.h"
#include "WindowRegistry.h"
#include "frmLabelPreview.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kProposal = QStringLiteral("LabelPrint.vbs");
}

frmLabelPrintSetting::frmLabelPrintSetting(QWidget* parent)
    : PrintSettingDialog(parent, QStringLiteral("frmLabelPrintSetting"), QStringLiteral("Impostazione stampa etichette"),
                         QStringLiteral("VB Script di composizione comandi per la stampa dell'etichetta:"))
{
    m_txtColumns = addBox(0, 0, QStringLiteral("Numero di etichette per riga:"),
                          QStringLiteral("Numero di etichette stampabili nella stessa riga del modulo"), QStringLiteral("txtColumns"));
    m_txtLabelHeight = addBox(1, 0, QStringLiteral("Altezza Etichetta (mm):"), QStringLiteral("Altezza dell'etichetta (millimetri)"),
                              QStringLiteral("txtLabelHeight"));
    m_txtLabelWidth = addBox(1, 1, QStringLiteral("Larghezza (mm):"), QStringLiteral("Larghezza dell'etichetta (millimetri)"),
                             QStringLiteral("txtLabelWidth"));
    m_txtLabelTop = addBox(2, 0, QStringLiteral("Margine Superiore (mm):"),
                           QStringLiteral("Margine superiore della prima etichetta (millimetri)"), QStringLiteral("txtLabelTop"));
    m_txtLabelLeft = addBox(2, 1, QStringLiteral("Sinistro (mm):"), QStringLiteral("Margine sinistro della prima etichetta (millimetri)"),
                            QStringLiteral("txtLabelLeft"));
    m_cmdTest->setToolTip(QStringLiteral("Stampa una etichetta di prova"));

    const LabelPrinterSettings& s = LabelPrinterParam;
    fillPrinters(s.PrinterName);
    m_txtColumns->setText(QString::number(s.ModuleColumns));
    m_txtLabelHeight->setText(BoxText(s.LabelHeight));
    m_txtLabelWidth->setText(BoxText(s.LabelWidth));
    m_txtLabelTop->setText(BoxText(s.LabelTop));
    m_txtLabelLeft->setText(BoxText(s.LabelLeft));
    showScript(s.VBScript.isEmpty() ? DefaultLabelScript() : s.VBScript);
    clearModified();

    connect(m_cmdOK, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(m_cmdDefault, &QPushButton::clicked, this, [this] { Default(); });
    connect(m_cmdLoad, &QPushButton::clicked, this, [this] { LoadScript(); });
    connect(m_cmdSave, &QPushButton::clicked, this, [this] { SaveScript(); });
    connect(m_cmdTest, &QPushButton::clicked, this, [this] { TestPrint(); });
    connect(m_cmdPreview, &QPushButton::clicked, this, [this] { Preview(); });
    adjustSize();
}

LabelPrinterSettings frmLabelPrintSetting::Settings() const
{
    LabelPrinterSettings s;
    s.PrinterName = chosenPrinter();
    s.ModuleColumns = BoxColumns(QStringLiteral("Numero di etichette per riga:"), m_txtColumns->text());
    s.LabelHeight = BoxMillimetres(QStringLiteral("Altezza Etichetta (mm):"), m_txtLabelHeight->text());
    s.LabelWidth = BoxMillimetres(QStringLiteral("Larghezza (mm):"), m_txtLabelWidth->text());
    s.LabelTop = BoxMillimetres(QStringLiteral("Margine Superiore (mm):"), m_txtLabelTop->text());
    s.LabelLeft = BoxMillimetres(QStringLiteral("Sinistro (mm):"), m_txtLabelLeft->text());
    s.VBScript = script();
    return s;
}

void frmLabelPrintSetting::Confirm()
{
    if (guarded([this] { SaveLabelSettings(Settings()); })) accept();
}

void frmLabelPrintSetting::Default() { showScript(DefaultLabelScript()); }

void frmLabelPrintSetting::LoadScript()
{
    const auto path = fileToLoad(kProposal);
    if (!path) return;
    guarded([&] { showScript(ReadScriptFile(*path)); });
}

void frmLabelPrintSetting::SaveScript()
{
    const auto path = fileToSave(kProposal);
    if (!path) return;
    guarded([&] { WriteScriptFile(*path, script()); });
}

void frmLabelPrintSetting::TestPrint()
{
    guarded([&] {
        const LabelPrinterSettings s = Settings();
        auto article = PickPrintRow(this, QStringLiteral("Articoli"));
        if (article) (void)PrintLabels(TestPrinter(s.PrinterName), s, *article);
    });
}

void frmLabelPrintSetting::Preview()
{
    guarded([&] {
        const LabelPrinterSettings s = Settings();
        auto article = PickPrintRow(this, QStringLiteral("Articoli"));
        if (!article) return;
        auto target = std::make_shared<PreviewTarget>();
        if (!PrintLabels(target, s, *article)) return;
        frmLabelPreview preview(target, this);
        preview.runModal();
    });
}

void frmLabelPrintSetting::ShowModal(QWidget* owner)
{
    frmLabelPrintSetting dialog(owner);
    dialog.runModal();
}

MV_REGISTER_WINDOW(frmLabelPrintSetting);
