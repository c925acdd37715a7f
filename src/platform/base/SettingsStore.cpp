#include "SettingsStore.h"
#include <QSettings>

struct IniSettingsStore::Impl {
    std::unique_ptr<QSettings> s;

    // The stored spelling of a section or key that matches `name` without case.
    static QString match(const QStringList& names, const QString& name) {
        for (const QString& n : names)
            if (n.compare(name, Qt::CaseInsensitive) == 0) return n;
        return QString();
    }
    QString group(const QString& section) const { return match(s->childGroups(), section); }
    // Full stored path "Group/Key", or empty when absent.
    QString path(const QString& section, const QString& key) const {
        QString g = group(section);
        if (g.isEmpty()) return QString();
        s->beginGroup(g);
        QString k = match(s->childKeys(), key);
        s->endGroup();
        return k.isEmpty() ? QString() : g + u'/' + k;
    }
};

IniSettingsStore::IniSettingsStore() : d(std::make_unique<Impl>()) {
    d->s = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Mirtavolia"), QStringLiteral("Mirtavolia"));
}

IniSettingsStore::IniSettingsStore(const QString& iniPath) : d(std::make_unique<Impl>()) {
    d->s = std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
}

IniSettingsStore::~IniSettingsStore() = default;

QString IniSettingsStore::fileName() const { return d->s->fileName(); }

bool IniSettingsStore::contains(const QString& section, const QString& key) const {
    return !d->path(section, key).isEmpty();
}

QString IniSettingsStore::get(const QString& section, const QString& key, const QString& def) const {
    QString p = d->path(section, key);
    if (p.isEmpty()) return def;
    QVariant v = d->s->value(p);
    // QSettings turns a comma-separated INI value into a list; the store holds plain text.
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

void IniSettingsStore::set(const QString& section, const QString& key, const QString& value) {
    QString p = d->path(section, key);
    if (p.isEmpty()) {
        QString g = d->group(section);
        p = (g.isEmpty() ? section : g) + u'/' + key;
    }
    d->s->setValue(p, value);
}

void IniSettingsStore::remove(const QString& section, const QString& key) {
    QString p = d->path(section, key);
    if (!p.isEmpty()) d->s->remove(p);
}

QStringList IniSettingsStore::keys(const QString& section) const {
    QString g = d->group(section);
    if (g.isEmpty()) return {};
    d->s->beginGroup(g);
    QStringList k = d->s->childKeys();
    d->s->endGroup();
    return k;
}

void IniSettingsStore::sync() { d->s->sync(); }

bool MemorySettingsStore::contains(const QString& section, const QString& key) const {
    return m_values.count(id(section, key)) != 0;
}
QString MemorySettingsStore::get(const QString& section, const QString& key, const QString& def) const {
    auto it = m_values.find(id(section, key));
    return it == m_values.end() ? def : it->second.second;
}
void MemorySettingsStore::set(const QString& section, const QString& key, const QString& value) {
    auto& slot = m_values[id(section, key)];
    if (slot.first.isEmpty()) slot.first = key;
    slot.second = value;
}
void MemorySettingsStore::remove(const QString& section, const QString& key) { m_values.erase(id(section, key)); }
QStringList MemorySettingsStore::keys(const QString& section) const {
    QStringList out;
    const QString prefix = section.toLower() + u'/';
    for (const auto& [k, v] : m_values)
        if (k.startsWith(prefix)) out << v.first;
    return out;
}

namespace {
std::shared_ptr<SettingsStore>& current() {
    static std::shared_ptr<SettingsStore> s;
    return s;
}
}

SettingsStore& settingsStore() { return *sharedSettingsStore(); }
std::shared_ptr<SettingsStore> sharedSettingsStore() {
    auto& s = current();
    if (!s) s = std::make_shared<IniSettingsStore>();
    return s;
}
void setSettingsStore(std::shared_ptr<SettingsStore> s) { current() = std::move(s); }
