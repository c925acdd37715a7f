#pragma once
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

// The per-user settings store: application, section and key, text values.
// Section and key look-ups ignore case, so that a key typed by hand in another case
// ("rootdir") still reaches its setting; a key keeps the spelling it was first written with.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual bool contains(const QString& section, const QString& key) const = 0;
    // The stored text, or `def` when the key is missing.
    virtual QString get(const QString& section, const QString& key, const QString& def = QString()) const = 0;
    virtual void set(const QString& section, const QString& key, const QString& value) = 0;
    virtual void remove(const QString& section, const QString& key) = 0;   // missing key: no error
    virtual QStringList keys(const QString& section) const = 0;
    // Writes what was set to the file. Raises AppError ("Errore durante la scrittura del file
    // di configurazione") when it cannot: the file then keeps its previous content.
    virtual void sync() { }
};

// QSettings in INI form, organisation and application "Mirtavolia", under $XDG_CONFIG_HOME.
class IniSettingsStore final : public SettingsStore {
public:
    IniSettingsStore();   // the user's store
    explicit IniSettingsStore(const QString& iniPath);   // a given file
    ~IniSettingsStore() override;
    QString fileName() const;
    bool contains(const QString& section, const QString& key) const override;
    QString get(const QString& section, const QString& key, const QString& def) const override;
    void set(const QString& section, const QString& key, const QString& value) override;
    void remove(const QString& section, const QString& key) override;
    QStringList keys(const QString& section) const override;
    void sync() override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// In-memory store for tests.
class MemorySettingsStore final : public SettingsStore {
public:
    bool contains(const QString& section, const QString& key) const override;
    QString get(const QString& section, const QString& key, const QString& def) const override;
    void set(const QString& section, const QString& key, const QString& value) override;
    void remove(const QString& section, const QString& key) override;
    QStringList keys(const QString& section) const override;

private:
    static QString id(const QString& section, const QString& key) { return section.toLower() + u'/' + key.toLower(); }
    std::map<QString, std::pair<QString, QString>> m_values;   // folded id -> (key as written, value)
};

// The store the program uses (the user's INI store unless a test installs another).
SettingsStore& settingsStore();
// The same store, shared: for a store that wraps the one in use.
std::shared_ptr<SettingsStore> sharedSettingsStore();
void setSettingsStore(std::shared_ptr<SettingsStore> s);
