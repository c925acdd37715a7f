#include "frmTicketPrintSetting.h"

#include "AppError.h"
#include "DefaultScripts.h"
#include "PrintScriptFiles.h"
#include "PrintSettings.h"
#include "TableData.h"
#include "UiServices.h"
#include "WindowRegistry.h"
#include "frmTicketPreview.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString kProposal = QStringLiteral("TicketPrint.vbs");
const QString kColumns = QStringLiteral("Numero di ricevute per riga:");
const QString kHeight = QStringLiteral("Altezza Ricevuta (mm):");
const QString kWidth = QStringLiteral("Larghezza (mm):");
const QString kTop = QStringLiteral("Margine Superiore ricevuta (mm):");
const QString kLeft = QStringLiteral("Sinistro (mm):");
const QString kRowsTop = QStringLiteral("Margine Superiore area righe (mm):");
const QString kRowsBottom = QStringLiteral("Inferiore (mm):");
const QString kRowsDim = QStringLiteral("Dimensione righe (mm):");
const QString kBorder = QStringLiteral("Bordo Inferiore (mm):");
}

frmTicketPrintSetting::frmTicketPrintSetting(QWidget* parent)
    : PrintSettingDialog(parent, QStringLiteral("frmTicketPrintSetting"), QStringLiteral("Impostazione stampa ricevute"),
                         QStringLiteral("VB Script di composizione comandi per la stampa della ricevuta:"))
{
    m_txtColumns = addBox(0, 0, kColumns, QStringLiteral("Numero di ricevute stampabili nella stessa riga del modulo (per copie multiple)"),
                          QStringLiteral("txtColumns"));
    m_txtTicketHeight = addBox(1, 0, kHeight, QStringLiteral("Altezza della ricevuta (millimetri)"), QStringLiteral("txtTicketHeight"));
    m_txtTicketWidth = addBox(1, 1, kWidth, QStringLiteral("Larghezza della ricevuta (millimetri)"), QStringLiteral("txtTicketWidth"));
    m_txtTicketTop = addBox(2, 0, kTop, QStringLiteral("Margine superiore della prima ricevuta (millimetri)"), QStringLiteral("txtTicketTop"));
    m_txtTicketLeft = addBox(2, 1, kLeft, QStringLiteral("Margine sinistro della prima ricevuta (millimetri)"), QStringLiteral("txtTicketLeft"));
    m_txtTicketRowsTop = addBox(3, 0, kRowsTop,
                                QStringLiteral("Margine superiore dell'area  riservata alle righe della ricevuta (millimetri)"),
                                QStringLiteral("txtTicketRowsTop"));
    m_txtTicketRowsBottom = addBox(3, 1, kRowsBottom,
                                   QStringLiteral("Margine inferiore dell'area  riservata alle righe della ricevuta (millimetri)"),
                                   QStringLiteral("txtTicketRowsBottom"));
    m_txtTicketRowsDim = addBox(4, 0, kRowsDim, QStringLiteral("Dimensione di una riga della ricevuta (millimetri)"),
                                QStringLiteral("txtTicketRowsDim"));

    auto* imageLabel = new QLabel(QStringLiteral("Immagine di sfondo:"), this);
    m_txtBackImage = new QLineEdit(this);
    m_txtBackImage->setObjectName(QStringLiteral("txtBackImage"));
    m_txtBackImage->setToolTip(QStringLiteral("File con l'immagine di sfondo (max 150 dpi)"));
    imageLabel->setBuddy(m_txtBackImage);
    m_cmdSelBackImage = new QToolButton(this);
    m_cmdSelBackImage->setObjectName(QStringLiteral("cmdSelBackImage"));
    m_cmdSelBackImage->setText(QStringLiteral("..."));
    m_cmdSelBackImage->setToolTip(QStringLiteral("Seleziona l'immagine di sfondo (max 150 dpi)"));
    auto* imageRow = new QHBoxLayout;
    imageRow->addWidget(imageLabel);
    imageRow->addWidget(m_txtBackImage, 1);
    imageRow->addWidget(m_cmdSelBackImage);
    extras()->addLayout(imageRow);
    auto* borderRow = new QGridLayout;
    extras()->addLayout(borderRow);
    m_txtBottomImageBorder = new QLineEdit(this);
    m_txtBottomImageBorder->setObjectName(QStringLiteral("txtBottomImageBorder"));
    m_txtBottomImageBorder->setToolTip(QStringLiteral("Bordo inferiore dell'immagine nel modulo (millimetri)"));
    m_txtBottomImageBorder->setMaximumWidth(90);
    auto* borderLabel = new QLabel(kBorder, this);
    borderLabel->setBuddy(m_txtBottomImageBorder);
    borderRow->addWidget(borderLabel, 0, 0, Qt::AlignRight);
    borderRow->addWidget(m_txtBottomImageBorder, 0, 1);
    borderRow->setColumnStretch(2, 1);

    m_headBoxes = {{QStringLiteral("BottomImageBorder"), m_txtBottomImageBorder},
                   {QStringLiteral("Columns"), m_txtColumns},
                   {QStringLiteral("TicketHeight"), m_txtTicketHeight},
                   {QStringLiteral("TicketWidth"), m_txtTicketWidth},
                   {QStringLiteral("TicketTop"), m_txtTicketTop},
                   {QStringLiteral("TicketLeft"), m_txtTicketLeft},
                   {QStringLiteral("TicketRowsDim"), m_txtTicketRowsDim},
                   {QStringLiteral("TicketRowsTop"), m_txtTicketRowsTop},
                   {QStringLiteral("TicketRowsBottom"), m_txtTicketRowsBottom}};

    const TicketPrinterSettings& s = TicketPrinterParam;
    fillPrinters(s.PrinterName);
    m_txtColumns->setText(QString::number(s.ModuleColumns));
    m_txtTicketHeight->setText(BoxText(s.TicketHeight));
    m_txtTicketWidth->setText(BoxText(s.TicketWidth));
    m_txtTicketTop->setText(BoxText(s.TicketTop));
    m_txtTicketLeft->setText(BoxText(s.TicketLeft));
    m_txtTicketRowsDim->setText(BoxText(s.TicketRowsDim));
    m_txtTicketRowsTop->setText(BoxText(s.TicketRowsTop));
    m_txtTicketRowsBottom->setText(BoxText(s.TicketRowsBottom));
    m_txtBackImage->setText(s.TicketBackImageFile);
    m_txtBottomImageBorder->setText(BoxText(s.TicketBottomImageBorder));
    showScript(s.VBScript.isEmpty() ? DefaultTicketScript() : s.VBScript);
    clearModified();

    connect(m_cmdOK, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(m_cmdDefault, &QPushButton::clicked, this, [this] { Default(); });
    connect(m_cmdLoad, &QPushButton::clicked, this, [this] { LoadScript(); });
    connect(m_cmdSave, &QPushButton::clicked, this, [this] { SaveScript(); });
    connect(m_cmdTest, &QPushButton::clicked, this, [this] { TestPrint(); });
    connect(m_cmdPreview, &QPushButton::clicked, this, [this] { Preview(); });
    connect(m_cmdSelBackImage, &QToolButton::clicked, this, [this] { SelectBackImage(); });
    adjustSize();
}

TicketPrinterSettings frmTicketPrintSetting::Settings() const
{
    TicketPrinterSettings s;
    s.PrinterName = chosenPrinter();
    s.ModuleColumns = BoxColumns(kColumns, m_txtColumns->text());
    s.TicketHeight = BoxMillimetres(kHeight, m_txtTicketHeight->text());
    s.TicketWidth = BoxMillimetres(kWidth, m_txtTicketWidth->text());
    s.TicketTop = BoxMillimetres(kTop, m_txtTicketTop->text());
    s.TicketLeft = BoxMillimetres(kLeft, m_txtTicketLeft->text());
    s.TicketRowsDim = BoxMillimetres(kRowsDim, m_txtTicketRowsDim->text());
    s.TicketRowsTop = BoxMillimetres(kRowsTop, m_txtTicketRowsTop->text());
    s.TicketRowsBottom = BoxMillimetres(kRowsBottom, m_txtTicketRowsBottom->text());
    s.TicketBackImageFile = m_txtBackImage->text();
    s.TicketBottomImageBorder = BoxMillimetres(kBorder, m_txtBottomImageBorder->text());
    s.VBScript = script();
    return s;
}

void frmTicketPrintSetting::Confirm()
{
    if (guarded([this] { SaveTicketSettings(Settings()); })) accept();
}

void frmTicketPrintSetting::Default() { showScript(DefaultTicketScript()); }

void frmTicketPrintSetting::LoadScript()
{
    const auto path = fileToLoad(kProposal);
    if (!path) return;
    guarded([&] {
        const TicketScriptFile file = ReadTicketScriptFile(*path);
        for (auto it = file.head.cbegin(); it != file.head.cend(); ++it) m_headBoxes.value(it.key())->setText(it.value());
        showScript(file.script);
    });
}

void frmTicketPrintSetting::SaveScript()
{
    const auto path = fileToSave(kProposal);
    if (!path) return;
    QMap<QString, QString> head;
    for (auto it = m_headBoxes.cbegin(); it != m_headBoxes.cend(); ++it) head[it.key()] = it.value()->text();
    guarded([&] { WriteTicketScriptFile(*path, head, script()); });
}

void frmTicketPrintSetting::SelectBackImage()
{
    const auto path = ui().openFileName(windowTitle(), QStringLiteral("Immagine|*.*"), m_txtBackImage->text());
    if (path) m_txtBackImage->setText(*path);
}

void frmTicketPrintSetting::TestPrint()
{
    guarded([&] {
        const TicketPrinterSettings s = Settings();
        auto receipt = PickPrintRow(this, QStringLiteral("Ricevute"));
        if (receipt) (void)PrintTicketTest(TestPrinter(s.PrinterName), s, *receipt);
    });
}

void frmTicketPrintSetting::Preview()
{
    guarded([&] {
        const TicketPrinterSettings s = Settings();
        auto receipt = PickPrintRow(this, QStringLiteral("Ricevute"));
        if (!receipt) return;
        auto target = std::make_shared<PreviewTarget>();
        if (!PrintTicketTest(target, s, *receipt)) return;
        frmTicketPreview preview(target, this);
        preview.runModal();
    });
}

void frmTicketPrintSetting::ShowModal(QWidget* owner)
{
    frmTicketPrintSetting dialog(owner);
    dialog.runModal();
}

MV_REGISTER_WINDOW(frmTicketPrintSetting);
