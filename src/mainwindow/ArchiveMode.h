#pragma once
// The backup-archive mode and the file menu's archive commands: save, restore, move of the
// selected document, import of another archive.
//
// While the program works on the backup database, RootDir and BackupDir are exchanged in
// memory, so every opener of "the working database" opens the backup file. Nothing may then
// reach the settings store: a stored RootDir would make the next start open the backup file
// as the working one. The settings seam itself holds the writes back (ArchiveSettingsGuard),
// so no writer has to remember the mode.
#include "operations/BackupRestore.h"
#include "base/SettingsStore.h"
#include <QHash>
#include <functional>
#include <memory>
#include <optional>

class QWidget;
class TableData;

// A settings store over another that keeps every write in memory: reads see them, the
// store below never does. Dropped when the mode ends, writes and all.
class ArchiveSettingsGuard final : public SettingsStore {
public:
    explicit ArchiveSettingsGuard(std::shared_ptr<SettingsStore> inner) : m_inner(std::move(inner)) { }
    const std::shared_ptr<SettingsStore>& Inner() const { return m_inner; }

    bool contains(const QString& section, const QString& key) const override;
    QString get(const QString& section, const QString& key, const QString& def = QString()) const override;
    void set(const QString& section, const QString& key, const QString& value) override;
    void remove(const QString& section, const QString& key) override;
    QStringList keys(const QString& section) const override;
    void sync() override { }

private:
    static QString id(const QString& section, const QString& key) { return section.toLower() + u'/' + key.toLower(); }
    struct Held {
        QString key;   // as first written
        std::optional<QString> value;   // empty: removed
    };
    std::shared_ptr<SettingsStore> m_inner;
    QHash<QString, Held> m_held;
};

namespace ArchiveMode {

// g_bBackupArchiveMode: the program works on the backup database.
bool Active();
// The main window's caption: the program's title, after "BACKUP - " in archive mode.
QString WindowTitle(const QString& programTitle);

// Enters the mode: the folders exchanged, the settings store guarded.
void Enter();
// Leaves it: the guard dropped (with what was held back), every setting read again, which
// also brings both folders back.
void Leave();

// What the commands need of the main window. Unset members do nothing (InitDatabase: the
// core's opening of the working database).
struct Hooks {
    QWidget* window = nullptr;
    std::function<void()> releaseDatabase;   // the main window's ReleaseDatabase
    std::function<void()> activate;   // the activation sequence (opens the database, login)
    std::function<void()> setAppTitle;
    std::function<void()> refreshDetailView;   // RefreshDetailView("", "")
    std::function<void()> unload;   // unloads the main window: the program ends
    std::function<bool()> initDatabase;
    // The save/restore dialog: the choice, or nothing when cancelled.
    std::function<std::optional<BackupChoice>(bool restore, const QString& caption)> querySelections;
    // The copy (BackupRestoreData).
    std::function<void(const BackupRequest&)> backupRestoreData;
};

// "Gestisci Archivio di Backup...": switches the mode, reopening the other database.
// True when the mode changed.
bool SwitchMode(const Hooks& hooks);
// Asked before a new record is made while the mode is on; True to go on.
bool ConfirmBackupInsert();
// "Salva dati..." and "Ripristina dati...".
void SaveCommand(const Hooks& hooks, const QString& caption = QStringLiteral("Salva dati..."));
void RestoreCommand(const Hooks& hooks, const QString& caption = QStringLiteral("Ripristina dati..."));
// "Sposta Elemento Selezionato in Backup": the shown data set's current document, asked first.
bool MoveRowCommand(const Hooks& hooks, TableData* current);
// "Importa dati...": rows of the shown table from another archive file.
bool ImportCommand(const Hooks& hooks, TableData* current);

}   // namespace ArchiveMode
