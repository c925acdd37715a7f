#include "frmOptionsAdvanced.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/ConfigurationFile.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include "WindowRegistry.h"
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption, const char* tip = nullptr)
{
    auto* c = new QCheckBox(QString::fromUtf8(caption), parent);
    c->setObjectName(QString::fromLatin1(name));
    if (tip) c->setToolTip(QString::fromUtf8(tip));
    return c;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

const char* const kAccessCaptions[4]
    = {"Normale (monoutente)", "Multiutente", "Sola lettura", "Manutenzione (monoutente)"};
const char* const kAccessTips[4]
    = {"Ottimizza la velocità di accesso (non indicato per multitente)", "Ottimizza gli accessi multiutente",
       "Accesso veloce in sola lettura, non permette la modifica dei dati",
       "Attiva la gestione dell'archivio in modalità manutenzione "};
const QString kFilter = QStringLiteral("Formato testo (txt)|*.txt");
}

frmOptionsAdvanced::frmOptionsAdvanced(frmOptions* options, QWidget* parent) : ModalDialog(parent), m_options(options)
{
    setObjectName(QStringLiteral("frmOptionsAdvanced"));
    setWindowTitle(QStringLiteral("Impostazioni"));

    auto* articles = new QGroupBox(QStringLiteral("Configurazione Articoli:"), this);
    articles->setObjectName(QStringLiteral("fraArticoli"));
    m_chkUse_PrezzoAcquistoListino
        = checkBox(articles, "chkUse_PrezzoAcquistoListino", "Visualizza il Prezzo Acquisto di listino");
    auto* ga = new QVBoxLayout(articles);
    ga->addWidget(m_chkUse_PrezzoAcquistoListino);

    auto* features = new QGroupBox(QStringLiteral("Funzioni:"), this);
    features->setObjectName(QStringLiteral("fraFunzioni"));
    m_chkUse_Ricevute = checkBox(features, "chkUse_Ricevute", "Abilita stampa Ricevute");
    m_chkUse_PuntiPremio = checkBox(features, "chkUse_PuntiPremio", "Abilita Gestione Punti Premio",
                                    "Abilita i campi per la gestione dei punti premio");
    m_chkUse_Badge
        = checkBox(features, "chkUse_Badge", "Abilita Tessere Badge", "Attiva il menu del lettore di Barcode");
    m_chkUse_PagamentiForniture
        = checkBox(features, "chkUse_PagamentiForniture", "Abilita la gestione pagamenti Forniture",
                   "Abilita la gestione pagamenti per le fatture");
    auto* gf = new QVBoxLayout(features);
    for (QCheckBox* c : {m_chkUse_Ricevute, m_chkUse_PuntiPremio, m_chkUse_Badge, m_chkUse_PagamentiForniture})
        gf->addWidget(c);

    auto* access = new QGroupBox(QStringLiteral("Accesso ai dati:"), this);
    access->setObjectName(QStringLiteral("fraAccessMode"));
    auto* gm = new QVBoxLayout(access);
    auto* accessGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        m_optAccessMode[i] = new QRadioButton(QString::fromUtf8(kAccessCaptions[i]), access);
        m_optAccessMode[i]->setObjectName(QStringLiteral("optAccessMode_%1").arg(i));
        m_optAccessMode[i]->setToolTip(QString::fromUtf8(kAccessTips[i]));
        accessGroup->addButton(m_optAccessMode[i], i);
        gm->addWidget(m_optAccessMode[i]);
    }
    m_chkTransaction
        = checkBox(access, "chkTransaction", "&Transazioni", "Attiva le transazioni (disabilitare in multiutenza)");
    gm->addSpacing(6);
    gm->addWidget(m_chkTransaction);

    auto* cmdRead = button(this, "CmdReadFileConfiguration", "&Importa configurazione");
    auto* cmdWrite = button(this, "cmdWriteFileConfiguration", "Esporta &configurazione");
    auto* cmdOK = button(this, "cmdOK", "&OK");
    cmdOK->setDefault(true);
    auto* cmdCancel = button(this, "cmdCancel", "&Esci");

    auto* left = new QVBoxLayout;
    left->addWidget(articles);
    left->addWidget(features);
    left->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(access);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cmdRead);
    bottom->addWidget(cmdWrite);
    bottom->addStretch(1);
    bottom->addWidget(cmdOK);
    bottom->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    connect(cmdRead, &QPushButton::clicked, this, [this] { ReadFileConfiguration(); });
    connect(cmdWrite, &QPushButton::clicked, this, [this] { WriteFileConfiguration(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    SetParamConfiguration();
}

int frmOptionsAdvanced::AccessOption(int accessMode, bool maintenanceMode)
{
    if (maintenanceMode) return 3;
    return accessMode >= 0 && accessMode <= 2 ? accessMode : -1;
}

void frmOptionsAdvanced::SetParamConfiguration()
{
    const int option = AccessOption(settings().AccessMode, settings().MaintenanceMode);
    // An access mode without an option of its own (only an import can store one) shows no
    // option selected; OK then stores the first option.
    auto* group = m_optAccessMode[0]->group();
    group->setExclusive(false);
    for (int i = 0; i < 4; ++i) m_optAccessMode[i]->setChecked(i == option);
    group->setExclusive(true);
    m_chkUse_PrezzoAcquistoListino->setChecked(settings().Use_PrezzoAcquistoListino);
    m_chkUse_Ricevute->setChecked(settings().Use_Ricevute);
    m_chkUse_PuntiPremio->setChecked(settings().Use_PuntiPremio);
    m_chkUse_Badge->setChecked(settings().Use_Badge);
    m_chkUse_PagamentiForniture->setChecked(settings().Use_PagamentoForniture);
    m_chkTransaction->setChecked(settings().UseTransaction);
}

bool frmOptionsAdvanced::Ok()
{
    try {
        bool changed = false;
        auto store = [&changed](bool& setting, const QCheckBox* box) {
            changed = changed || setting != box->isChecked();
            setting = box->isChecked();
        };
        store(settings().Use_Ricevute, m_chkUse_Ricevute);
        store(settings().Use_PrezzoAcquistoListino, m_chkUse_PrezzoAcquistoListino);
        store(settings().Use_PagamentoForniture, m_chkUse_PagamentiForniture);
        store(settings().Use_Badge, m_chkUse_Badge);
        store(settings().Use_PuntiPremio, m_chkUse_PuntiPremio);

        changed = changed || m_optAccessMode[3]->isChecked() != settings().MaintenanceMode;
        settings().MaintenanceMode = false;
        int option = 0;
        for (int i = 0; i < 4; ++i) {
            if (m_optAccessMode[i]->isChecked()) {
                option = i;
                break;
            }
        }
        settings().AccessMode = option == 3 ? 0 : option;
        settings().MaintenanceMode = option == 3;
        settings().UseTransaction = m_chkTransaction->isChecked();

        if (changed) ReleaseDatabase();
        ApplyDatabaseSettings();
        SaveConfiguration();
        if (m_options) m_options->SetParamConfiguration();
        accept();
        return true;
    } catch (...) {
        ui().msgBox(CurrentError().description, Msg::OKOnly, g_strMsgTitle);
        return false;
    }
}

void frmOptionsAdvanced::WriteFileConfiguration()
{
    ui().msgBox(
        QStringLiteral("Se vuoi esportare anche le eventuali modifiche attuali devi prima dare 'OK' per registrarle\r"
                       "(in entrambi i form di configurazione)"),
        int(Msg::OKOnly) + int(Msg::Information), g_strMsgTitle);
    const auto chosen = ui().saveFileName(QStringLiteral("Salva Configurazione"), kFilter,
                                          QStringLiteral("Conf_") + AppTitle() + u'_');
    if (!chosen || chosen->isEmpty()) return;
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".txt");
    try {
        configfile::WriteConfigurationFile(path);
    } catch (...) {
        ui().msgBox(QStringLiteral("Errore durante la scrittura del file di configurazione\r")
                        + CurrentError().description,
                    Msg::OKOnly, g_strMsgTitle);
    }
}

void frmOptionsAdvanced::ReadFileConfiguration()
{
    if (g_bBackupArchiveMode) {
        ui().msgBox(configfile::BackupModeRefusal(), int(Msg::OKOnly) + int(Msg::Exclamation), g_strMsgTitle);
        return;
    }
    const auto chosen = ui().openFileName(QStringLiteral("Carica Configurazione"), kFilter, QString());
    if (chosen && !chosen->isEmpty()) {
        try {
            configfile::ImportConfigurationFile(*chosen);
        } catch (...) {
            ui().msgBox(QStringLiteral("Errore durante la lettura del file di configurazione\r")
                            + CurrentError().description,
                        Msg::OKOnly, g_strMsgTitle);
        }
    }
    // Whatever happened, both dialogs show what is stored now.
    LoadConfiguration();
    reloadDialogs();
}

void frmOptionsAdvanced::reloadDialogs()
{
    if (m_options) {
        m_options->SetParamConfiguration();
        m_options->repaint();
    }
    SetParamConfiguration();
    repaint();
}

void frmOptionsAdvanced::ShowModal(QWidget* owner, frmOptions* options)
{
    frmOptionsAdvanced window(options);
    if (owner) window.move(owner->geometry().center() - window.rect().center());
    window.runModal();
}

void frmOptionsAdvanced::applyAnswer(const QString& answer)
{
    if (answer.trimmed().compare(QStringLiteral("OK"), Qt::CaseInsensitive) == 0)
        Ok();
    else
        reject();
}

MV_REGISTER_WINDOW(frmOptionsAdvanced);
