#include "ArchiveMode.h"
#include "core/databasefiles/ArchiveImport.h"
#include "core/helpers/BusinessHelpers.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/MaintenanceCopy.h"
#include "dialogs/Startup.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"

// --- the guarded store --------------------------------------------------------------------------

bool ArchiveSettingsGuard::contains(const QString& section, const QString& key) const
{
    auto it = m_held.find(id(section, key));
    if (it != m_held.end()) return it->value.has_value();
    return m_inner->contains(section, key);
}

QString ArchiveSettingsGuard::get(const QString& section, const QString& key, const QString& def) const
{
    auto it = m_held.find(id(section, key));
    if (it != m_held.end()) return it->value.value_or(def);
    return m_inner->get(section, key, def);
}

void ArchiveSettingsGuard::set(const QString& section, const QString& key, const QString& value)
{
    Held& h = m_held[id(section, key)];
    if (h.key.isEmpty()) h.key = key;
    h.value = value;
}

void ArchiveSettingsGuard::remove(const QString& section, const QString& key)
{
    Held& h = m_held[id(section, key)];
    if (h.key.isEmpty()) h.key = key;
    h.value.reset();
}

QStringList ArchiveSettingsGuard::keys(const QString& section) const
{
    const QString prefix = section.toLower() + u'/';
    QStringList out;
    for (const QString& k : m_inner->keys(section)) {
        auto it = m_held.find(id(section, k));
        if (it == m_held.end() || it->value) out << k;
    }
    for (auto it = m_held.begin(); it != m_held.end(); ++it)
        if (it.key().startsWith(prefix) && it->value && !m_inner->contains(section, it->key)) out << it->key;
    return out;
}

// --- the mode -------------------------------------------------------------------------------------

namespace {

bool yes(const QString& text, int flags) { return ui().msgBox(text, flags, QString()) == Msg::Yes; }

void call(const std::function<void()>& f)
{
    if (f) f();
}

bool reopen(const ArchiveMode::Hooks& hooks)
{
    if (hooks.initDatabase) return hooks.initDatabase();
    bool openedBefore = true;
    return InitDatabase(openedBefore);
}

void maintenanceMove(const ArchiveMode::Hooks& hooks, bool restore)
{
    const MaintenanceOutcome outcome = RunMaintenanceCommand(restore);
    if (outcome == MaintenanceOutcome::EndProgram || (outcome == MaintenanceOutcome::Reopen && !reopen(hooks)))
        call(hooks.unload);
}

}   // namespace

bool ArchiveMode::Active() { return g_bBackupArchiveMode; }

QString ArchiveMode::WindowTitle(const QString& programTitle)
{
    return Active() ? QStringLiteral("BACKUP - ") + programTitle : programTitle;
}

void ArchiveMode::Enter()
{
    if (g_bBackupArchiveMode) return;
    if (!dynamic_cast<ArchiveSettingsGuard*>(&settingsStore()))
        setSettingsStore(std::make_shared<ArchiveSettingsGuard>(sharedSettingsStore()));
    g_bBackupArchiveMode = true;
    std::swap(settings().RootDir, settings().BackupDir);
}

void ArchiveMode::Leave()
{
    if (auto* guard = dynamic_cast<ArchiveSettingsGuard*>(&settingsStore())) setSettingsStore(guard->Inner());
    g_bBackupArchiveMode = false;
    LoadConfiguration();
}

bool ArchiveMode::SwitchMode(const Hooks& hooks)
{
    if (settings().BackupDir.trimmed().isEmpty()) {
        ui().msgBox(QStringLiteral("Salvataggio dati non abilitato o non correttamente configurato\r\r"
                                   "Controllare le impostazioni di backup."),
                    int(Msg::OKOnly) + Msg::Exclamation, QString());
        return false;
    }
    const bool on = !Active();
    if (on) {
        const bool confirmed
            = yes(QStringLiteral("ATTENZIONE\r\rQuesta funzione attiva la gestione diretta dell'archivio di Backup...\r"
                                 "Durante questa fase molte funzioni saranno disabilitate.\r\rContinuare ?"),
                  int(Msg::YesNo) + Msg::Exclamation + Msg::DefaultButton2);
        if (!confirmed) return false;
    }
    call(hooks.releaseDatabase);
    if (on)
        Enter();
    else
        Leave();
    call(hooks.activate);
    call(hooks.setAppTitle);
    return true;
}

bool ArchiveMode::ConfirmBackupInsert()
{
    return ui().msgBox(QString::fromUtf8("ATTENZIONE\r\rL'archivio correntemente gestito è quello di backup...\r\r"
                                         "Continuare con l'inserimento ?"),
                       int(Msg::YesNo) + Msg::Question, QString())
        == Msg::Yes;
}

void ArchiveMode::SaveCommand(const Hooks& hooks, const QString& caption)
{
    if (!hooks.querySelections) return;
    const std::optional<BackupChoice> choice = hooks.querySelections(false, caption);
    if (!choice) return;
    if (choice->moveArchive) {
        const bool confirmed = yes(
            QString::fromUtf8("Questa operazione sposta l'archivio corrente nel disco/indirizzario di destinazione "
                              "in modo da permetterne la manutenzione.\r\rIMPORTANTE!\r"
                              "Eventuali altri terminali devono essere scollegati.\r\r"
                              "Al termine dell'operazione l'applicazione verrà chiusa, la fase di ripristino verrà "
                              "automaticamente attivata al successivo riavvio...\r\rContinuare ?"),
            int(Msg::YesNo) + Msg::Information + Msg::DefaultButton2);
        if (confirmed) maintenanceMove(hooks, false);
        return;
    }
    BackupRequest request = choice->request;
    request.restore = false;
    request.automatic = false;
    if (hooks.backupRestoreData) hooks.backupRestoreData(request);
}

void ArchiveMode::RestoreCommand(const Hooks& hooks, const QString& caption)
{
    if (!hooks.querySelections) return;
    const std::optional<BackupChoice> choice = hooks.querySelections(true, caption);
    if (!choice) return;
    if (choice->moveArchive) {
        if (settings().MaintenanceDir.isEmpty()) {
            (void)RunMaintenanceCommand(true);   // tells that this computer has no maintenance copy
            return;
        }
        const bool confirmed
            = yes(QStringLiteral("Attualmente l'archivio non risulta in stato di manutenzione.\r\rATTENZIONE!\r")
                      + QString::fromUtf8("Confermando questa operazione verrà ripristinato l'archivo presente in < ")
                      + settings().MaintenanceDir
                      + QStringLiteral(" > che potrebbe essere meno recente di quello corrente...\r\rConfermi ?"),
                  int(Msg::YesNo) + Msg::Exclamation + Msg::DefaultButton2);
        if (confirmed) maintenanceMove(hooks, true);
        return;
    }
    BackupRequest request = choice->request;
    request.restore = true;
    request.automatic = false;
    if (hooks.backupRestoreData) hooks.backupRestoreData(request);
    call(hooks.refreshDetailView);
}

bool ArchiveMode::MoveRowCommand(const Hooks& hooks, TableData* current)
{
    return MoveToArchive(hooks.window, current, false, true);
}

bool ArchiveMode::ImportCommand(const Hooks& hooks, TableData* current)
{
    if (!current) {
        ui().beep();
        return false;
    }
    const bool confirmed
        = yes(QStringLiteral("Questa funzione permette di importare < ") + current->GetTable()->Caption()
                  + QStringLiteral(" > nell'archivio corrente.\r\rATTENZIONE!\r"
                                   "L'operazione deve essere guidata da personale tecnico!\r\rContinuare ?"),
              int(Msg::YesNo) + Msg::Exclamation + Msg::DefaultButton2);
    if (!confirmed || !ImportArchiveCommand(*current, hooks.window)) return false;
    call(hooks.refreshDetailView);
    return true;
}
