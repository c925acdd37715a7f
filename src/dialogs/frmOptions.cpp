#include "frmOptions.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/databasefiles/DatabaseRepair.h"
#include "core/lifecycle/ErrorReporting.h"
#include "FormUtilities.h"
#include "core/seams/MainWindowServices.h"
#include "OptionsNumbers.h"
#include "core/lifecycle/Password.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include "WindowRegistry.h"
#include "frmMessage.h"
#include "frmOptionsAdvanced.h"
#include "frmOptionsRound.h"
#include "frmPassword.h"
#include "frmSelectDir.h"
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

// ---- Options windows and the main window --------------------------------------------------------
namespace {
int g_optionsDepth = 0;
}

OptionsWindowScope::OptionsWindowScope()
{
    if (g_optionsDepth++ == 0) {
        if (MainWindowServices* mw = mainWindowServices()) mw->SetOptionsActive(true);
        EnableMainForm(false);
    }
}

OptionsWindowScope::~OptionsWindowScope()
{
    if (--g_optionsDepth == 0) {
        if (MainWindowServices* mw = mainWindowServices()) mw->SetOptionsActive(false);
        EnableMainForm(true);
    }
}

int OptionsWindowScope::Depth() { return g_optionsDepth; }

// ---- The dialog ---------------------------------------------------------------------------------------
namespace {
QPointer<frmOptions>& theInstance()
{
    static QPointer<frmOptions> w;
    return w;
}

const int kQuestion = int(Msg::YesNo) + int(Msg::Question);

QLineEdit* lineEdit(QWidget* parent, const char* name, const char* tip = nullptr)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (tip) e->setToolTip(QString::fromUtf8(tip));
    return e;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption, const char* tip)
{
    auto* c = new QCheckBox(QString::fromUtf8(caption), parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setToolTip(QString::fromUtf8(tip));
    return c;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, const char* tip = nullptr)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    if (tip) b->setToolTip(QString::fromUtf8(tip));
    return b;
}

QLabel* label(QWidget* parent, const char* name, const char* caption, QWidget* buddy)
{
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setBuddy(buddy);
    return l;
}

QGroupBox* group(QWidget* parent, const char* name, const char* caption)
{
    auto* g = new QGroupBox(QString::fromUtf8(caption), parent);
    g->setObjectName(QString::fromLatin1(name));
    return g;
}

// A field with a "..." button beside it.
QHBoxLayout* withButton(QLineEdit* field, QPushButton* b)
{
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    b->setFixedWidth(28);
    row->addWidget(b);
    return row;
}

// The number of a masked field; the masks keep them numeric, so a field that is not a
// number (empty, a lone minus) is refused with its caption.
double numberOf(const QLineEdit* field, const QString& caption)
{
    if (auto v = optionsnum::Read(field->text())) return *v;
    throw AppError(AppError::kTypeMismatch, QStringLiteral("frmOptions"),
                   QStringLiteral("Il valore di \"%1\" non è un numero valido.").arg(caption.trimmed()));
}

// The whole number at the start of a plain text field ("12 copie" is 12, "" is 0).
int64_t wholeOf(const QLineEdit* field, int64_t lo, int64_t hi) { return config::ReadWhole(field->text(), lo, hi, 0); }
}

frmOptions::frmOptions(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Impostazioni"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (!theInstance()) theInstance() = this;

    // "Parametri generali:"
    auto* general = group(this, "fraGeneral", "Parametri generali:");
    m_txtWorkDir = lineEdit(general, "txtWorkDir");
    auto* cmdSelWorkDir = button(general, "cmdSelWorkDir", "...");
    m_txtDefault_UM = lineEdit(general, "txtDefault_UM",
                               "Impostare il codice relativo all'Unità di Misura da impostare in modo predefinto dove "
                               "richiesto (Ordini, Ricevute, etc..), fare riferimento al campo Codice della tabella "
                               "Unita Misura");
    m_txtDefault_CodiceIVA
        = lineEdit(general, "txtDefault_CodiceIVA",
                   "Codice IVA predefinito usato per velocizzare i nuovi inserimenti (vedi tabella IVA)");
    m_txtProgrLen_ClientiForn
        = lineEdit(general, "txtProgrLen_ClientiForn", "Impostare lunghezza = 0 per la codifica manuale");
    m_txtNemeroCopieRicevuta = lineEdit(general, "txtNemeroCopieRicevuta");
    m_lblNumeroCopie = label(general, "lblNumeroCopie", "Numero di copie per ricevuta:", m_txtNemeroCopieRicevuta);
    auto* cmdAdvanced = button(general, "cmdAdvanced", "&Avanzate", "Impostazioni avanzate. Solo personale Vessanti");
    auto* g1 = new QGridLayout(general);
    g1->addWidget(label(general, "lblWorkDir", "Indirizzario di lavoro:", m_txtWorkDir), 0, 0);
    g1->addLayout(withButton(m_txtWorkDir, cmdSelWorkDir), 0, 1, 1, 3);
    g1->addWidget(label(general, "lblDefault_UM", "Unità di Misura Predefinita:", m_txtDefault_UM), 1, 0);
    g1->addWidget(m_txtDefault_UM, 1, 1);
    g1->addWidget(label(general, "lblDefault_CodiceIVA", "Codice IVA predefinito:", m_txtDefault_CodiceIVA), 1, 2);
    g1->addWidget(m_txtDefault_CodiceIVA, 1, 3);
    g1->addWidget(
        label(general, "lblProgrLen_ClientiForn", "Lunghezza progressivo Clienti:", m_txtProgrLen_ClientiForn), 2, 0);
    g1->addWidget(m_txtProgrLen_ClientiForn, 2, 1);
    g1->addWidget(m_lblNumeroCopie, 2, 2);
    g1->addWidget(m_txtNemeroCopieRicevuta, 2, 3);
    g1->addWidget(cmdAdvanced, 3, 3, Qt::AlignRight);

    // "Parametri di controllo:"
    auto* control = group(this, "fraControl", "Parametri di controllo:");
    m_maskImportoMax
        = lineEdit(control, "maskImportoMax", "Limite massimo per l'importo di vendita di un singolo articolo");
    m_maskArrotondamento = lineEdit(control, "maskArrotondamento", "Valore di arrotondamento per gli importi");
    m_chkArrotondamentoEccesso = checkBox(control, "chkArrotondamentoEccesso", "Arrotonda in &Eccesso",
                                          "Definisce l'arrotondamento degli importi sempre per eccesso");
    auto* cmdSetRoundRanges = button(control, "cmdSetRoundRanges", "Usa Fasce di Prezzo",
                                     "Attiva l'impostazione degli arrotondamenti per fascia di prezzo");
    m_maskImportoPunto = lineEdit(control, "maskImportoPunto",
                                  "Importo necessario per assegnare un punto al cliente durante la vendita");
    m_maskImportoPuntoPremio = lineEdit(control, "maskImportoPuntoPremio",
                                        "Importo relativo ad un punto da togliere al cliente in assegnazione premio");
    m_maskPuntiPremio
        = lineEdit(control, "maskPuntiPremio", "Numero minimo di punti necessari per assegnare il premio");
    m_txtValorePremio = lineEdit(control, "txtValorePremio");
    m_txtValorePremio->setReadOnly(true);
    optionsnum::InstallAmountKeyFilter(m_maskImportoMax);
    optionsnum::InstallAmountKeyFilter(m_maskImportoPunto);
    optionsnum::SetAmountMask(m_maskArrotondamento, 1, 2);   // "#,##"
    optionsnum::SetAmountMask(m_maskImportoPunto, 3, 2);   // "###,##"
    optionsnum::SetAmountMask(m_maskImportoPuntoPremio, 3, 2);   // "###,##"
    optionsnum::SetAmountMask(m_maskPuntiPremio, 6, 0);   // "######"
    for (QLineEdit* e : {m_maskImportoMax, m_maskArrotondamento, m_maskImportoPunto, m_maskImportoPuntoPremio,
                         m_maskPuntiPremio, m_txtValorePremio}) {
        e->setAlignment(Qt::AlignRight);
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")));
    }
    auto* g2 = new QGridLayout(control);
    g2->addWidget(label(control, "lblImportoMax", "Importo Massimo Art.: ", m_maskImportoMax), 0, 0);
    g2->addWidget(m_maskImportoMax, 0, 1);
    g2->addWidget(label(control, "lblArrotondamento", "Arrotondamento importi: ", m_maskArrotondamento), 1, 0);
    g2->addWidget(m_maskArrotondamento, 1, 1);
    g2->addWidget(m_chkArrotondamentoEccesso, 1, 2);
    g2->addWidget(cmdSetRoundRanges, 1, 3);
    g2->addWidget(label(control, "lblImportoPunto", "Valore Punto nella vendita:", m_maskImportoPunto), 2, 0);
    g2->addWidget(m_maskImportoPunto, 2, 1);
    g2->addWidget(label(control, "lblImportoPuntoPremio", "Valore Punto premio:", m_maskImportoPuntoPremio), 2, 2);
    g2->addWidget(m_maskImportoPuntoPremio, 2, 3);
    g2->addWidget(label(control, "lblPuntiPremio", "Punti minimi per premio: ", m_maskPuntiPremio), 3, 0);
    g2->addWidget(m_maskPuntiPremio, 3, 1);
    g2->addWidget(label(control, "lblValorePremio", "Valore Premio:", m_txtValorePremio), 3, 2);
    g2->addWidget(m_txtValorePremio, 3, 3);

    // "Parametri salvataggio / ripristino:"
    m_frameBackupRestore = group(this, "frameBackupRestore", "Parametri salvataggio / ripristino:");
    m_txtBkpDir = lineEdit(m_frameBackupRestore, "txtBkpDir");
    m_txtBkpDir->installEventFilter(this);
    auto* cmdSelBkpDir = button(m_frameBackupRestore, "cmdSelBkpDir", "...");
    m_chkSaveData = checkBox(m_frameBackupRestore, "chkSaveData", "Salva dati",
                             "Abilita la funzione di salvataggio dati su archivio di appoggio");
    m_chkRestoreData = checkBox(m_frameBackupRestore, "chkRestoreData", "Ripristina dati",
                                "Abilita la funzione di ripristino dati da archivio di appoggio");
    m_chkEnableDelete = checkBox(m_frameBackupRestore, "chkEnableDelete", "Abilita eliminazione dati dopo la copia",
                                 "Abilita l'eliminazione dei dati dopo la copia");
    m_cmbSaveNotify = new QComboBox(m_frameBackupRestore);
    m_cmbSaveNotify->setObjectName(QStringLiteral("cmbSaveNotify"));
    m_cmbSaveNotify->setToolTip(
        QStringLiteral("Seleziona l'intervallo di tempo per la notifica periodica del salvataggio"));
    m_cmbSaveNotify->addItems({QStringLiteral("[ mai ]"), QStringLiteral("Giornaliero"), QStringLiteral("Settimanale"),
                               QStringLiteral("Mensile")});
    m_chkAutoSaveOnExit = checkBox(m_frameBackupRestore, "chkAutoSaveOnExit", "Salva automaticamente in uscita",
                                   "Abilita il salvataggio automatico dei dati senza conferme durante la chiusura "
                                   "dall'applicazione");
    auto* g3 = new QGridLayout(m_frameBackupRestore);
    g3->addWidget(label(m_frameBackupRestore, "lblBkpDir", "Indirizzario appoggio:", m_txtBkpDir), 0, 0);
    g3->addLayout(withButton(m_txtBkpDir, cmdSelBkpDir), 0, 1, 1, 3);
    g3->addWidget(m_chkSaveData, 1, 0);
    g3->addWidget(m_chkRestoreData, 1, 1);
    g3->addWidget(m_chkEnableDelete, 1, 2, 1, 2);
    g3->addWidget(label(m_frameBackupRestore, "lblSaveNotify", "Notifica salvataggio:", m_cmbSaveNotify), 2, 0);
    g3->addWidget(m_cmbSaveNotify, 2, 1);
    g3->addWidget(m_chkAutoSaveOnExit, 2, 2, 1, 2);

    // "Parametri Bilancia: < DISABILITATO >"
    auto* scale = group(this, "fraBalance", "Parametri Bilancia: < DISABILITATO >");
    m_cboCOMPortBil = new QComboBox(scale);
    m_cboCOMPortBil->setObjectName(QStringLiteral("cboCOMPortBil"));
    for (int n = 1; n <= 8; ++n) m_cboCOMPortBil->addItem(QStringLiteral("COM%1").arg(n));
    m_txtCOMParamBil = lineEdit(scale, "txtCOMParamBil",
                                "Imposta i parametri della porta seriale (Velocità, Parità, Numero Bit, Bit di stop)");
    auto* g4 = new QGridLayout(scale);
    g4->addWidget(label(scale, "lblCOMPortBil", "Porta di comunicazione:", m_cboCOMPortBil), 0, 0);
    g4->addWidget(m_cboCOMPortBil, 0, 1);
    g4->addWidget(label(scale, "lblCOMParamBil", "Parametri porta:", m_txtCOMParamBil), 0, 2);
    g4->addWidget(m_txtCOMParamBil, 0, 3);

    auto* cmdOK = button(this, "cmdOK", "&OK");
    cmdOK->setDefault(true);
    auto* cmdCancel = button(this, "cmdCancel", "&Esci");
    m_cmdRepairDB = button(this, "cmdRepairDB", "&Recupera Database", "Ripara il database");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdRepairDB);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(general);
    layout->addWidget(control);
    layout->addWidget(m_frameBackupRestore);
    layout->addWidget(scale);
    layout->addLayout(buttons);

    connect(cmdSelWorkDir, &QPushButton::clicked, this, [this] { SelectWorkDir(); });
    connect(cmdSelBkpDir, &QPushButton::clicked, this, [this] { SelectBackupDir(); });
    connect(cmdAdvanced, &QPushButton::clicked, this, [this] { Advanced(); });
    connect(cmdSetRoundRanges, &QPushButton::clicked, this, [this] { SetRoundRanges(); });
    connect(m_cmdRepairDB, &QPushButton::clicked, this, [this] { RepairDatabase(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_txtBkpDir, &QLineEdit::textChanged, this, [this] { backupDirChanged(); });
    connect(m_chkSaveData, &QCheckBox::toggled, this, [this] { saveDataClicked(); });
    connect(m_cmbSaveNotify, &QComboBox::currentIndexChanged, this, [this] { saveNotifyClicked(); });
    connect(m_maskImportoPuntoPremio, &QLineEdit::textChanged, this, [this] { UpdateValorePremio(); });
    connect(m_maskPuntiPremio, &QLineEdit::textChanged, this, [this] { UpdateValorePremio(); });

    SetParamConfiguration();
}

frmOptions::~frmOptions()
{
    if (theInstance() == this) theInstance() = nullptr;
}

frmOptions* frmOptions::loaded() { return theInstance(); }

void frmOptions::ShowOptions(QWidget* owner)
{
    frmOptions* w = loaded();
    if (!w) w = new frmOptions();
    if (owner) PlaceWindowTwips(w, -1, -1);
    w->show();
    w->raise();
    w->activateWindow();
}

bool frmOptions::ShowModal(QWidget* owner, bool repairCommand)
{
    QPointer<frmOptions> w = loaded() ? loaded() : new frmOptions();
    if (!repairCommand) w->HideRepairCommand();
    if (owner) PlaceWindowTwips(w, -1, -1);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->runModal();
    const bool confirmed = w && w->Confirmed();
    if (w) delete w.data();
    return confirmed;
}

void frmOptions::applyAnswer(const QString& answer)
{
    if (answer.section(u'\t', 0, 0).trimmed().compare(QStringLiteral("OK"), Qt::CaseInsensitive) != 0) {
        reject();
        return;
    }
    if (answer.contains(u'\t')) m_txtWorkDir->setText(answer.section(u'\t', 1));
    Ok();
}

void frmOptions::HideRepairCommand() { m_cmdRepairDB->setVisible(false); }

QString frmOptions::ServicePassword()
{
    // Kept only in its stored form; turned back into clear text when it is needed.
    static const char16_t stored[] = {0xAB, 0xB2, 0x39, 0xB9, 0x30, 0x37, 0xBA, 0xB4, 0x97, 0x19, 0x98, 0x18, 0x9C};
    return ScrambleString(QString::fromUtf16(stored, std::size(stored)), true);
}

void frmOptions::SetParamConfiguration()
{
    m_txtWorkDir->setText(settings().RootDir);
    m_txtDefault_UM->setText(settings().Default_UnitaMisura);
    m_txtDefault_CodiceIVA->setText(settings().Default_CodiceIVA);
    m_txtProgrLen_ClientiForn->setText(QString::number(settings().ProgrLen_ClientiForn));
    m_txtNemeroCopieRicevuta->setText(settings().NCopyRicevute);
    m_maskImportoMax->setText(optionsnum::Plain(settings().ImportoMaxArticolo));
    m_maskArrotondamento->setText(optionsnum::Format(settings().ValoreArrotondamento, 1, 2));
    m_chkArrotondamentoEccesso->setChecked(settings().ArrotondaInEccesso);
    m_maskImportoPunto->setText(optionsnum::Format(settings().ImportoPunto, 3, 2));
    m_maskImportoPuntoPremio->setText(optionsnum::Format(settings().ImportoPuntoPremio, 3, 2));
    m_maskPuntiPremio->setText(optionsnum::Format(settings().PuntiMinPremio, 6, 0));
    m_txtBkpDir->setText(settings().BackupDir);
    m_chkSaveData->setChecked(settings().BackupFuncSaveEnabled);
    m_chkRestoreData->setChecked(settings().BackupFuncRestoreEnabled);
    m_chkEnableDelete->setChecked(settings().BackupFuncEnableDelete);
    m_cmbSaveNotify->setCurrentIndex(
        settings().BkpSaveNotify >= 0 && settings().BkpSaveNotify <= 3 ? int(settings().BkpSaveNotify) : -1);
    m_chkAutoSaveOnExit->setChecked(settings().AutoSaveOnExit);
    m_cboCOMPortBil->setCurrentIndex(settings().BalanceCOMPortNumber >= 1 && settings().BalanceCOMPortNumber <= 8
                                         ? settings().BalanceCOMPortNumber - 1
                                         : -1);
    m_txtCOMParamBil->setText(settings().BalanceCOMPortParam);
    m_confirmed = false;

    m_txtNemeroCopieRicevuta->setVisible(settings().Use_Ricevute);
    m_txtNemeroCopieRicevuta->setEnabled(settings().Use_Ricevute);
    m_lblNumeroCopie->setVisible(settings().Use_Ricevute);
    for (QLineEdit* e : {m_maskImportoPunto, m_maskImportoPuntoPremio, m_maskPuntiPremio, m_txtValorePremio})
        e->setEnabled(settings().Use_PuntiPremio);
    m_frameBackupRestore->setVisible(!settings().MaintenanceMode);
    backupDirChanged();
    saveNotifyClicked();
    UpdateValorePremio();
}

void frmOptions::backupDirChanged()
{
    if (m_txtBkpDir->text().trimmed().isEmpty()) {
        for (QWidget* w :
             std::initializer_list<QWidget*> {m_chkSaveData, m_chkRestoreData, m_cmbSaveNotify, m_chkEnableDelete})
            w->setEnabled(false);
        return;
    }
    m_chkSaveData->setEnabled(true);
    m_chkRestoreData->setEnabled(true);
    m_chkEnableDelete->setEnabled(true);
    m_cmbSaveNotify->setEnabled(m_chkSaveData->isChecked());
}

void frmOptions::saveDataClicked()
{
    m_cmbSaveNotify->setEnabled(m_chkSaveData->isChecked());
    saveNotifyClicked();
}

void frmOptions::saveNotifyClicked()
{
    m_chkAutoSaveOnExit->setEnabled(m_chkSaveData->isChecked() && m_cmbSaveNotify->currentIndex() >= 1);
}

void frmOptions::UpdateValorePremio()
{
    m_txtValorePremio->clear();
    const auto points = optionsnum::Read(m_maskPuntiPremio->text());
    const auto value = optionsnum::Read(m_maskImportoPuntoPremio->text());
    if (points && value) m_txtValorePremio->setText(optionsnum::Plain(*points * *value));
}

bool frmOptions::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_txtBkpDir && e->type() == QEvent::MouseButtonDblClick) {
        m_txtBkpDir->clear();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

bool frmOptions::Ok()
{
    try {
        // The masked fields are read first, so a refused value changes nothing.
        const double importoMax = numberOf(m_maskImportoMax, QStringLiteral("Importo Massimo Art."));
        const double arrotondamento = numberOf(m_maskArrotondamento, QStringLiteral("Arrotondamento importi"));
        const double importoPunto = numberOf(m_maskImportoPunto, QStringLiteral("Valore Punto nella vendita"));
        const double importoPuntoPremio = numberOf(m_maskImportoPuntoPremio, QStringLiteral("Valore Punto premio"));
        const double puntiPremio = numberOf(m_maskPuntiPremio, QStringLiteral("Punti minimi per premio"));

        const QString workDir = m_txtWorkDir->text();
        if (PathHoldsNul(workDir) || PathHoldsNul(m_txtBkpDir->text()))
            throw AppError(AppError::kInvalidCall, QStringLiteral("frmOptions"),
                           QStringLiteral("Il nome dell'indirizzario contiene un carattere non valido."));
        // Another spelling of the same folder is no change; another letter case is another folder.
        if (!SameFolder(workDir, settings().RootDir)) {
            if (ui().msgBox(QStringLiteral("L'indirizzario di lavoro e' cambiato.\r\rConfermi ?"), kQuestion,
                            g_strMsgTitle)
                != Msg::Yes)
                return false;
            settings().RootDir = workDir;
            ReleaseDatabase();
        }
        settings().BackupDir = m_txtBkpDir->text();
        settings().BackupFuncSaveEnabled = m_chkSaveData->isChecked();
        settings().BackupFuncRestoreEnabled = m_chkRestoreData->isChecked();
        settings().BackupFuncEnableDelete = m_chkEnableDelete->isChecked();
        settings().BkpSaveNotify = std::max(0, m_cmbSaveNotify->currentIndex());
        settings().AutoSaveOnExit = m_chkAutoSaveOnExit->isChecked();
        settings().NCopyRicevute = QString::number(wholeOf(m_txtNemeroCopieRicevuta, INT32_MIN, INT32_MAX));
        settings().Default_UnitaMisura = m_txtDefault_UM->text();
        settings().Default_CodiceIVA = m_txtDefault_CodiceIVA->text();
        settings().ProgrLen_ClientiForn = int(wholeOf(m_txtProgrLen_ClientiForn, -32768, 32767));
        settings().BalanceCOMPortNumber = m_cboCOMPortBil->currentIndex() + 1;
        settings().BalanceCOMPortParam = m_txtCOMParamBil->text();
        settings().ImportoMaxArticolo = importoMax;
        settings().ValoreArrotondamento = arrotondamento;
        settings().ArrotondaInEccesso = m_chkArrotondamentoEccesso->isChecked();
        settings().ImportoPunto = importoPunto;
        settings().ImportoPuntoPremio = importoPuntoPremio;
        settings().PuntiMinPremio = puntiPremio;
        SaveConfiguration();
        m_confirmed = true;
        accept();
        return true;
    } catch (...) {
        ui().msgBox(CurrentError().description, Msg::OKOnly, g_strMsgTitle);
        return false;
    }
}

void frmOptions::SelectWorkDir()
{
    const QString chosen = frmSelectDir::ChooseFolder(this, m_txtWorkDir->text());
    if (!chosen.isEmpty()) m_txtWorkDir->setText(chosen);
}

void frmOptions::SelectBackupDir()
{
    const QString chosen = frmSelectDir::ChooseFolder(this, m_txtBkpDir->text());
    if (!chosen.isEmpty()) m_txtBkpDir->setText(chosen);
}

void frmOptions::SetRoundRanges() { frmOptionsRound::ShowModal(this); }

void frmOptions::Advanced()
{
    QString password = ServicePassword();
    if (!frmPassword::instance().ValidatePassword(this, false, &password, true, false)) return;
    frmOptionsAdvanced::ShowModal(this, this);
}

void frmOptions::RepairDatabase()
{
    ui().beep();
    if (ui().msgBox(QStringLiteral("Questa funzione tenta il recupero del database...\r\rContinuare ?"), kQuestion,
                    AppTitle())
        != Msg::Yes)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents();
    frmMessage& progress = frmMessage::instance();
    RepairSteps steps;
    steps.show = [&](const QString& message) { progress.ShowMsg(message, this, -1, -1); };
    steps.releaseDatabase = [] { ReleaseDatabase(); };
    steps.confirmBackup = [] {
        return ui().msgBox(QStringLiteral("Vuoi recuperare anche il Database di Backup ?"), kQuestion, g_strMsgTitle)
            == Msg::Yes;
    };
    try {
        DatabaseRepair().RepairFiles(m_txtWorkDir->text(),
                                     m_frameBackupRestore->isHidden() ? QString() : m_txtBkpDir->text(),
                                     settings().MaintenanceMode, steps);
        QApplication::restoreOverrideCursor();
        ui().msgBox(QStringLiteral("Recupero completato"), int(Msg::OKOnly) + int(Msg::Information), g_strMsgTitle);
        frmMessage::unloadInstance();
    } catch (...) {
        const AppError e = CurrentError();
        QApplication::restoreOverrideCursor();
        frmMessage::unloadInstance();
        ui().msgBox(e.description, Msg::OKOnly, g_strMsgTitle);
    }
}

MV_REGISTER_WINDOW(frmOptions, [] {
    // With receipts and loyalty points in use, so the picture shows every field.
    const bool receipts = settings().Use_Ricevute, points = settings().Use_PuntiPremio;
    settings().Use_Ricevute = settings().Use_PuntiPremio = true;
    auto* w = new frmOptions();
    settings().Use_Ricevute = receipts;
    settings().Use_PuntiPremio = points;
    return w;
});
