#include "frmFiscalOptions.h"
#include "dialogs/AnswerControls.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "devices/fiscal/FiscalPrinterFactory.h"
#include "dialogs/FormUtilities.h"
#include "base/UiServices.h"
#include "dialogs/WindowRegistry.h"
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
template <class W> W* named(W* w, const char* name, const char* tip = nullptr)
{
    w->setObjectName(QString::fromLatin1(name));
    if (tip) w->setToolTip(QString::fromUtf8(tip));
    return w;
}

QLineEdit* digits(QWidget* parent, const char* name, int width, const char* tip = nullptr)
{
    auto* e = named(new QLineEdit(parent), name, tip);
    e->setMaxLength(width);
    e->setValidator(new QIntValidator(0, width >= 5 ? 99999 : 999, e));
    return e;
}

QString padded(int value, int width)
{
    const QString text = QString::number(qAbs(qint64(value))).rightJustified(width, u'0');
    return value < 0 ? u'-' + text : text;
}

int32_t numberIn(const QLineEdit* e)
{
    return static_cast<int32_t>(config::ReadWhole(e->text(), INT32_MIN, INT32_MAX, 0));
}

// The decimals amounts are given in: those of the database's currency, when one is open.
int16_t receiptDecimals() { return static_cast<int16_t>(WorkingCurrencyDecimals()); }
}

frmFiscalOptions::frmFiscalOptions(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmFiscalOptions"));
    setWindowTitle(QStringLiteral("Impostazione registratore di cassa"));

    m_cmbRegType = named(new QComboBox(this), "cmbRegType");
    for (const RegisterChoice& c : RegisterChoices()) m_cmbRegType->addItem(c.caption, c.type);
    m_cboCOMPortReg = named(new QComboBox(this), "cboCOMPortReg");
    m_cboCOMPortReg->addItem(QStringLiteral("[nessuno]"));
    for (int n = 1; n <= 8; ++n) m_cboCOMPortReg->addItem(QStringLiteral("COM%1").arg(n));
    m_txtCOMParamReg = named(new QComboBox(this), "txtCOMParamReg",
                             "Imposta i parametri della porta seriale (Velocità, Parità, Numero Bit, Bit di stop)");
    m_txtCOMParamReg->setEditable(true);
    m_txtCOMParamReg->addItems({QStringLiteral("9600,n,8,1"), QStringLiteral("9600,e,7,1")});
    m_mebTmCmdReg = digits(this, "mebTmCmdReg", 5);
    m_mebTimeoutReg = digits(this, "mebTimeoutReg", 5);

    auto* frame = named(new QGroupBox(QStringLiteral("Parametri:"), this), "fraParam");
    m_mebDepartmentReg
        = digits(frame, "mebDepartmentReg", 5, "Codice del reparto predefinito della cassa (0 per nessuno)");
    m_mebMaxDescrLen
        = digits(frame, "mebMaxDescrLen", 3, "Lunghezza massima delle descrizioni nello scontrino (in caratteri)");
    m_chkCurConvReg = named(new QCheckBox(QStringLiteral("Usa valuta di conversione"), frame), "chkCurConvReg",
                            "Invia gli importi al registratore con valuta di conversione");
    m_chkSendDescrReg = named(new QCheckBox(QStringLiteral("Invia descrizioni al registratore di cassa"), frame),
                              "chkSendDescrReg", "Invia la descrizione degli articoli al registratore di cassa");
    m_chkSendDescrDisplay
        = named(new QCheckBox(QStringLiteral("Notifica operazioni sul display"), frame), "chkSendDescrDisplay",
                "Invia la descrizione delle operazioni effettuate dall'operatore al display");

    auto* cmdInfo = named(new QPushButton(QStringLiteral("?"), this), "cmdInfo", "Informazioni");
    auto* cmdTest = named(new QPushButton(QStringLiteral("&Test"), this), "cmdTest",
                          "Invia uno scontrino di prova al registratore di cassa");
    auto* cmdOK = named(new QPushButton(QStringLiteral("&OK"), this), "cmdOK");
    auto* cmdCancel = named(new QPushButton(QStringLiteral("&Esci"), this), "cmdCancel");

    auto* grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](QGridLayout* g, int r, const char* caption, QWidget* field) {
        auto* label = new QLabel(QString::fromUtf8(caption), field->parentWidget());
        label->setBuddy(field);
        g->addWidget(label, r, 0);
        g->addWidget(field, r, 1);
    };
    addRow(grid, row++, "Tipo / Modello:", m_cmbRegType);
    addRow(grid, row++, "Porta di comunicazione:", m_cboCOMPortReg);
    addRow(grid, row++, "Parametri porta:", m_txtCOMParamReg);
    addRow(grid, row++, "Attesa tra i comandi (ms):", m_mebTmCmdReg);
    addRow(grid, row++, "Timeout ricezione risposte (ms):", m_mebTimeoutReg);
    grid->setColumnStretch(1, 1);
    auto* frameGrid = new QGridLayout(frame);
    addRow(frameGrid, 0, "Reparto predefinito:", m_mebDepartmentReg);
    addRow(frameGrid, 1, "Lunghezza descrizioni:", m_mebMaxDescrLen);
    frameGrid->addWidget(m_chkCurConvReg, 2, 0, 1, 2);
    frameGrid->addWidget(m_chkSendDescrReg, 3, 0, 1, 2);
    frameGrid->addWidget(m_chkSendDescrDisplay, 4, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdInfo);
    buttons->addWidget(cmdTest);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(m_cmbRegType, &QComboBox::currentIndexChanged, this, [this] { typeChanged(); });
    connect(m_cboCOMPortReg, &QComboBox::currentIndexChanged, this, [this] { EnableRegControls(); });
    connect(cmdInfo, &QPushButton::clicked, this, [this] { Info(); });
    connect(cmdTest, &QPushButton::clicked, this, [this] { Test(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Load: a stored type that no choice offers selects nothing.
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    const FiscalOptionsValues v = CurrentFiscalOptions();
    m_cmbRegType->setCurrentIndex(v.type ? m_cmbRegType->findData(*v.type) : -1);
    m_cboCOMPortReg->setCurrentIndex(v.port >= 0 && v.port < m_cboCOMPortReg->count() ? v.port : -1);
    m_txtCOMParamReg->setCurrentText(v.portParameters);
    m_mebTmCmdReg->setText(padded(v.commandWait, 5));
    m_mebTimeoutReg->setText(padded(v.timeout, 5));
    m_mebDepartmentReg->setText(padded(v.defaultDepartment, 5));
    m_mebMaxDescrLen->setText(padded(v.descriptionLength, 3));
    const std::optional<QString> conversion = WorkingConversionCurrency();
    m_conversionCurrency = conversion.has_value();
    if (conversion) {
        m_chkCurConvReg->setText(m_chkCurConvReg->text() + QStringLiteral(" (") + *conversion + u')');
        m_chkCurConvReg->setChecked(v.currencyConversion);
    }
    m_chkSendDescrReg->setChecked(v.sendDescription);
    m_chkSendDescrDisplay->setChecked(v.sendDisplay);
    EnableRegControls();
    cmdOK->setDefault(true);
    resize(sizeHint().expandedTo(QSize(420, 360)));
    m_loaded = true;
}

std::optional<int32_t> frmFiscalOptions::chosenType() const
{
    if (m_cmbRegType->currentIndex() < 0) return std::nullopt;
    return m_cmbRegType->currentData().toInt();
}

void frmFiscalOptions::typeChanged()
{
    // A register of another type may not keep the line of the one in use. Loading the
    // dialog changes nothing.
    if (m_loaded) (void)InitFiscalPrinter(true);
    EnableRegControls();
}

void frmFiscalOptions::EnableRegControls()
{
    const RegisterControls c = RegisterControlsFor(chosenType());
    if (c.fixedPort) m_cboCOMPortReg->setCurrentIndex(*c.fixedPort);
    m_cboCOMPortReg->setEnabled(c.port);
    m_txtCOMParamReg->setEnabled(c.portParameters);
    m_mebTimeoutReg->setEnabled(c.timeout);
    m_mebTmCmdReg->setEnabled(c.commandWait);
    m_mebDepartmentReg->setEnabled(c.receiptOptions);
    m_mebMaxDescrLen->setEnabled(c.receiptOptions);
    m_chkCurConvReg->setEnabled(c.receiptOptions && m_conversionCurrency);
    m_chkSendDescrReg->setEnabled(c.receiptOptions);
    m_chkSendDescrDisplay->setEnabled(c.receiptOptions);
}

FiscalOptionsValues frmFiscalOptions::Values() const
{
    FiscalOptionsValues v;
    v.type = chosenType();
    v.port = m_cboCOMPortReg->currentIndex();
    v.portParameters = m_txtCOMParamReg->currentText();
    v.commandWait = numberIn(m_mebTmCmdReg);
    v.timeout = numberIn(m_mebTimeoutReg);
    v.defaultDepartment = numberIn(m_mebDepartmentReg);
    v.descriptionLength = numberIn(m_mebMaxDescrLen);
    v.currencyConversion = m_chkCurConvReg->isChecked();
    v.sendDescription = m_chkSendDescrReg->isChecked();
    v.sendDisplay = m_chkSendDescrDisplay->isChecked();
    return v;
}

bool frmFiscalOptions::Save()
{
    try {
        return SaveFiscalOptions(Values());
    } catch (const AppError& e) {
        ShowErrorDetails(e);
        return false;
    }
}

void frmFiscalOptions::Ok()
{
    if (!Save()) return;
    m_confirmed = true;
    accept();
}

void frmFiscalOptions::Info()
{
    const QString text = RegisterInfoText(chosenType());
    if (!text.isEmpty()) ui().msgBox(text, int(Msg::OKOnly) + int(Msg::Information), g_strMsgTitle);
}

void frmFiscalOptions::Test()
{
    ui().beep();
    if (ui().msgBox(QStringLiteral(
                        "Le impostazioni correnti verranno salvate...\r\rConfermi l'invio dello scontrino di prova ?"),
                    int(Msg::OKCancel) + int(Msg::Question), g_strMsgTitle)
        != Msg::OK)
        return;
    if (!Save()) return;
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        frmFiscalOptions* w;
        ~Restore()
        {
            QApplication::restoreOverrideCursor();
            w->setEnabled(true);
        }
    };
    try {
        Restore restore {this};
        const FiscalPrinterStart started = SendTestReceipt(receiptDecimals());
        if (!started && !started.refusal.isEmpty()) ui().msgBox(started.refusal, Msg::Exclamation, g_strMsgTitle);
    } catch (const AppError& e) {
        ShowErrorDetails(e, TestReceiptErrorContext(e));
    }
}

void frmFiscalOptions::ShowModal(QWidget* owner)
{
    // Over the owner but not its child: the owner is the main window, disabled meanwhile.
    frmFiscalOptions window;
    window.setWindowModality(Qt::ApplicationModal);
    if (owner) window.move(owner->geometry().center() - window.rect().center());
    window.runModal();
}

void frmFiscalOptions::applyAnswer(const QString& answer)
{
    if (!answers::IsCommand(answer, QStringLiteral("OK"))) {
        reject();
        return;
    }
    if (answers::FillControls(*this, answer)) Ok();
}

MV_REGISTER_WINDOW(frmFiscalOptions);
