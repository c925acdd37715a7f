#include "PrintSettingDialog.h"

#include "dialogs/AnswerControls.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "dialogs/FormUtilities.h"
#include "printing/PrintScriptFiles.h"
#include "printing/PrintSettings.h"
#include "printing/PreviewTarget.h"
#include "printing/PrinterTarget.h"
#include "objdb/TableData.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString kScriptFilter = QStringLiteral("VB Script|*.vbs");
}

PrintSettingDialog::PrintSettingDialog(QWidget* parent, Kind kind, PreviewShow showPreview)
    : ModalDialog(parent), m_kind(std::move(kind)), m_showPreview(showPreview)
{
    setObjectName(QString::fromLatin1(m_kind.objectName));
    setWindowTitle(QString::fromUtf8(m_kind.title));

    auto* printerLabel = new QLabel(QStringLiteral("Stampante:"), this);
    m_cboPrinter = new QComboBox(this);
    m_cboPrinter->setObjectName(QStringLiteral("cboPrinter"));
    m_cboPrinter->setToolTip(QStringLiteral("Stampante etichette"));
    m_cboPrinter->setMinimumContentsLength(30);
    printerLabel->setBuddy(m_cboPrinter);
    m_cmdPrnSetting = new QToolButton(this);
    m_cmdPrnSetting->setObjectName(QStringLiteral("cmdPrnSetting"));
    m_cmdPrnSetting->setText(QStringLiteral("..."));
    m_cmdPrnSetting->setToolTip(QStringLiteral("Impostazione stampanti"));
    auto* printerRow = new QHBoxLayout;
    printerRow->addWidget(printerLabel);
    printerRow->addWidget(m_cboPrinter, 1);
    printerRow->addWidget(m_cmdPrnSetting);

    m_boxes = new QGridLayout;
    m_txtColumns = addBox(0, 0, QString::fromUtf8(m_kind.columnsCaption), QString::fromUtf8(m_kind.columnsTip),
                          QStringLiteral("txtColumns"));
    m_extras = new QVBoxLayout;
    auto* note
        = new QLabel(QStringLiteral("N.B.: Tutte le dimensioni e le posizioni sono espresse in millimetri"), this);
    auto* scriptLabel = new QLabel(QString::fromUtf8(m_kind.scriptCaption), this);
    m_txtVBScript = new QPlainTextEdit(this);
    m_txtVBScript->setObjectName(QStringLiteral("txtVBScript"));
    m_txtVBScript->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_txtVBScript->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtVBScript->setMinimumSize(560, 260);
    scriptLabel->setBuddy(m_txtVBScript);

    auto button = [this](const QString& text, const QString& name, const QString& tip) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        if (!tip.isEmpty()) b->setToolTip(tip);
        b->setAutoDefault(false);
        return b;
    };
    m_cmdPreview = button(QStringLiteral("&Anteprima"), QStringLiteral("cmdPreview"), QString());
    m_cmdDefault = button(QStringLiteral("&Predefinto"), QStringLiteral("cmdDefault"),
                          QStringLiteral("Imposta lo script predefinito"));
    m_cmdLoad
        = button(QStringLiteral("&Carica"), QStringLiteral("cmdLoad"), QStringLiteral("Carica lo script da file"));
    m_cmdSave = button(QStringLiteral("&Salva"), QStringLiteral("cmdSave"), QStringLiteral("Salva lo script su file"));
    m_cmdTest = button(QStringLiteral("&Test"), QStringLiteral("cmdTest"), QString());
    m_cmdOK = button(QStringLiteral("&OK"), QStringLiteral("cmdOK"), QString());
    m_cmdCancel = button(QStringLiteral("&Esci"), QStringLiteral("cmdCancel"), QString());
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_cmdPreview, m_cmdDefault, m_cmdLoad, m_cmdSave, m_cmdTest}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(printerRow);
    layout->addLayout(m_boxes);
    layout->addLayout(m_extras);
    layout->addWidget(note);
    layout->addWidget(scriptLabel);
    layout->addWidget(m_txtVBScript, 1);
    layout->addLayout(buttons);

    connect(m_txtVBScript, &QPlainTextEdit::textChanged, this, [this] { m_modified = true; });
    connect(m_cmdOK, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(m_cmdDefault, &QPushButton::clicked, this, [this] { Default(); });
    connect(m_cmdLoad, &QPushButton::clicked, this, [this] { LoadScript(); });
    connect(m_cmdSave, &QPushButton::clicked, this, [this] { SaveScript(); });
    connect(m_cmdTest, &QPushButton::clicked, this, [this] { TestPrint(); });
    connect(m_cmdPreview, &QPushButton::clicked, this, [this] { Preview(); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_cmdPrnSetting, &QToolButton::clicked, this, [this] { printerSetup(); });
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
}

QLineEdit* PrintSettingDialog::addBox(int row, int column, const QString& caption, const QString& tip,
                                      const QString& objectName, QGridLayout* grid)
{
    if (!grid) grid = m_boxes;
    auto* label = new QLabel(caption, this);
    auto* box = new QLineEdit(this);
    box->setObjectName(objectName);
    box->setToolTip(tip);
    box->setMaximumWidth(90);
    label->setBuddy(box);
    grid->addWidget(label, row, column * 2, Qt::AlignRight);
    grid->addWidget(box, row, column * 2 + 1);
    m_captions.insert(box, caption);
    return box;
}

int16_t PrintSettingDialog::columnsShown() const
{
    return BoxColumns(m_captions.value(m_txtColumns), m_txtColumns->text());
}

void PrintSettingDialog::showColumns(int columns) { m_txtColumns->setText(QString::number(columns)); }

float PrintSettingDialog::millimetresIn(const QLineEdit* box) const
{
    return BoxMillimetres(m_captions.value(box), box->text());
}

void PrintSettingDialog::showMillimetres(QLineEdit* box, float value) { box->setText(BoxText(value)); }

void PrintSettingDialog::fillPrinters(const QString& saved)
{
    m_cboPrinter->clear();
    m_cboPrinter->addItems(printers::InstalledPrinterNames());
    m_cboPrinter->setCurrentIndex(m_cboPrinter->findText(saved, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

QString PrintSettingDialog::chosenPrinter() const { return m_cboPrinter->currentText(); }

QString PrintSettingDialog::script() const { return ScriptFromEditor(m_txtVBScript->toPlainText()); }

void PrintSettingDialog::showScript(const QString& script)
{
    m_txtVBScript->setPlainText(ScriptForEditor(script));
    m_modified = true;
}

void PrintSettingDialog::Confirm()
{
    if (guarded([this] { keepSettings(); })) accept();
}

void PrintSettingDialog::Default() { showScript(defaultScript()); }

void PrintSettingDialog::LoadScript()
{
    const auto path = fileToLoad(QString::fromLatin1(m_kind.fileProposal));
    if (!path) return;
    guarded([&] { readScriptFile(*path); });
}

void PrintSettingDialog::SaveScript()
{
    const auto path = fileToSave(QString::fromLatin1(m_kind.fileProposal));
    if (!path) return;
    guarded([&] { writeScriptFile(*path); });
}

void PrintSettingDialog::readScriptFile(const QString& path) { showScript(ReadScriptFile(path)); }

void PrintSettingDialog::writeScriptFile(const QString& path) const { WriteScriptFile(path, script()); }

void PrintSettingDialog::TestPrint()
{
    guarded([&] {
        const RowPrint print = rowPrint();
        auto row = PickPrintRow(this, QString::fromLatin1(m_kind.testTable));
        if (row) (void)print(TestPrinter(chosenPrinter()), *row);
    });
}

void PrintSettingDialog::Preview()
{
    guarded([&] {
        const RowPrint print = rowPrint();
        auto row = PickPrintRow(this, QString::fromLatin1(m_kind.testTable));
        if (!row) return;
        auto target = std::make_shared<PreviewTarget>();
        if (print(target, *row)) m_showPreview(this, target);
    });
}

void PrintSettingDialog::reject()
{
    if (m_modified
        && ui().msgBox(QStringLiteral("Lo script è stato modificato...\r\rUscire senza salvare ?"),
                       int(Msg::YesNo) + int(Msg::Question) + int(Msg::DefaultButton2), g_strMsgTitle)
            != Msg::Yes)
        return;
    QDialog::reject();
}

void PrintSettingDialog::applyAnswer(const QString& answer)
{
    if (!answers::IsCommand(answer, QStringLiteral("OK"))) {
        reject();
        return;
    }
    if (answers::FillControls(*this, answer)) m_cmdOK->click();
}

std::optional<QString> PrintSettingDialog::fileToLoad(const QString& proposal)
{
    return ui().openFileName(windowTitle(), kScriptFilter, JoinPath(GetDataFolder(), proposal));
}

std::optional<QString> PrintSettingDialog::fileToSave(const QString& proposal)
{
    const std::optional<QString> path
        = ui().saveFileName(windowTitle(), kScriptFilter, JoinPath(GetDataFolder(), proposal));
    if (!path) return std::nullopt;
    if (QFileInfo::exists(*path)
        && ui().msgBox(QStringLiteral("Il file esiste già...\r\rVuoi sostituirlo ?"),
                       int(Msg::YesNo) + int(Msg::Exclamation) + int(Msg::DefaultButton2), g_strMsgTitle)
            != Msg::Yes)
        return std::nullopt;
    return path;
}

void PrintSettingDialog::showError(const AppError& e) { ui().msgBox(e.description, Msg::OKOnly, g_strMsgTitle); }

bool PrintSettingDialog::guarded(const std::function<void()>& work)
{
    try {
        work();
    } catch (const AppError& e) {
        showError(e);
        return false;
    }
    return true;
}

void PrintSettingDialog::printerSetup()
{
    const QString caption = QStringLiteral("Impostazione stampanti");
    QString chosen;
    // An answer line names the printer to choose; a name no installed printer has chooses none.
    ModalAdapter window(
        caption, printers::InstalledPrinterNames().join(QStringLiteral(", ")),
        [&] {
            QPrinter printer;
            if (!chosenPrinter().isEmpty()) printer.setPrinterName(chosenPrinter());
            QPrintDialog dialog(&printer, this);
            dialog.setWindowTitle(caption);
            dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);   // no selection, no page range
            if (dialog.exec() != QDialog::Accepted) return false;
            chosen = printer.printerName();
            return true;
        },
        [&](const QString& answer) {
            chosen = answer;
            return true;
        });
    if (!ui().runModal(window)) return;
    // The printer chosen there is the one the list shows.
    const int index = m_cboPrinter->findText(chosen, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) m_cboPrinter->setCurrentIndex(index);
}
