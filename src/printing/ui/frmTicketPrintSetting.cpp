#include "frmTicketPrintSetting.h"

#include "core/configuration/DefaultScripts.h"
#include "printing/PrintScriptFiles.h"
#include "base/UiServices.h"
#include "dialogs/WindowRegistry.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

frmTicketPrintSetting::frmTicketPrintSetting(QWidget* parent)
    : PrintSettingDialogOf(parent,
                           {"frmTicketPrintSetting", "Impostazione stampa ricevute", "Numero di ricevute per riga:",
                            "Numero di ricevute stampabili nella stessa riga del modulo (per copie multiple)",
                            "VB Script di composizione comandi per la stampa della ricevuta:", "TicketPrint.vbs",
                            DefaultTicketScript, "Ricevute"})
{
    using S = TicketPrinterSettings;
    const auto box = [this](int row, int column, const char* caption, const char* tip, const char* name) {
        return addBox(row, column, QString::fromUtf8(caption), QString::fromUtf8(tip), QString::fromLatin1(name));
    };
    bind(box(1, 0, "Altezza Ricevuta (mm):", "Altezza della ricevuta (millimetri)", "txtTicketHeight"),
         &S::TicketHeight);
    bind(box(1, 1, "Larghezza (mm):", "Larghezza della ricevuta (millimetri)", "txtTicketWidth"), &S::TicketWidth);
    bind(box(2, 0, "Margine Superiore ricevuta (mm):", "Margine superiore della prima ricevuta (millimetri)",
             "txtTicketTop"),
         &S::TicketTop);
    bind(box(2, 1, "Sinistro (mm):", "Margine sinistro della prima ricevuta (millimetri)", "txtTicketLeft"),
         &S::TicketLeft);
    bind(box(3, 0, "Margine Superiore area righe (mm):",
             "Margine superiore dell'area  riservata alle righe della ricevuta (millimetri)", "txtTicketRowsTop"),
         &S::TicketRowsTop);
    bind(box(3, 1, "Inferiore (mm):", "Margine inferiore dell'area  riservata alle righe della ricevuta (millimetri)",
             "txtTicketRowsBottom"),
         &S::TicketRowsBottom);
    bind(box(4, 0, "Dimensione righe (mm):", "Dimensione di una riga della ricevuta (millimetri)", "txtTicketRowsDim"),
         &S::TicketRowsDim);

    auto* imageLabel = new QLabel(QStringLiteral("Immagine di sfondo:"), this);
    m_txtBackImage = new QLineEdit(this);
    m_txtBackImage->setObjectName(QStringLiteral("txtBackImage"));
    m_txtBackImage->setToolTip(QStringLiteral("File con l'immagine di sfondo (max 150 dpi)"));
    imageLabel->setBuddy(m_txtBackImage);
    auto* cmdSelBackImage = new QToolButton(this);
    cmdSelBackImage->setObjectName(QStringLiteral("cmdSelBackImage"));
    cmdSelBackImage->setText(QStringLiteral("..."));
    cmdSelBackImage->setToolTip(QStringLiteral("Seleziona l'immagine di sfondo (max 150 dpi)"));
    auto* imageRow = new QHBoxLayout;
    imageRow->addWidget(imageLabel);
    imageRow->addWidget(m_txtBackImage, 1);
    imageRow->addWidget(cmdSelBackImage);
    extras()->addLayout(imageRow);
    auto* borderRow = new QGridLayout;
    extras()->addLayout(borderRow);
    bind(addBox(0, 0, QStringLiteral("Bordo Inferiore (mm):"),
                QStringLiteral("Bordo inferiore dell'immagine nel modulo (millimetri)"),
                QStringLiteral("txtBottomImageBorder"), borderRow),
         &S::TicketBottomImageBorder);
    borderRow->setColumnStretch(2, 1);

    // Each head line of a script file is named after its box: "TicketTop" is txtTicketTop.
    for (const QString& key : TicketScriptHeadKeys())
        m_headBoxes.insert(key, findChild<QLineEdit*>(QStringLiteral("txt") + key));

    showSettings(settings().TicketPrinterParam);
    m_txtBackImage->setText(settings().TicketPrinterParam.TicketBackImageFile);
    connect(cmdSelBackImage, &QToolButton::clicked, this, [this] { SelectBackImage(); });
    adjustSize();
}

void frmTicketPrintSetting::readOtherBoxes(TicketPrinterSettings& s) const
{
    s.TicketBackImageFile = m_txtBackImage->text();
}

void frmTicketPrintSetting::readScriptFile(const QString& path)
{
    const TicketScriptFile file = ReadTicketScriptFile(path);
    for (auto it = file.head.cbegin(); it != file.head.cend(); ++it) m_headBoxes.value(it.key())->setText(it.value());
    showScript(file.script);
}

void frmTicketPrintSetting::writeScriptFile(const QString& path) const
{
    QMap<QString, QString> head;
    for (auto it = m_headBoxes.cbegin(); it != m_headBoxes.cend(); ++it) head[it.key()] = it.value()->text();
    WriteTicketScriptFile(path, head, script());
}

void frmTicketPrintSetting::SelectBackImage()
{
    const auto path = ui().openFileName(windowTitle(), QStringLiteral("Immagine|*.*"), m_txtBackImage->text());
    if (path) m_txtBackImage->setText(*path);
}

MV_REGISTER_WINDOW(frmTicketPrintSetting);
