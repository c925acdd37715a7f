#include "SettingsStore.h"
#include "AppError.h"
#include "FileOps.h"
#include <cerrno>
#include <QFileDevice>
#include <QSettings>
#include <QStringDecoder>

// The store's file is INI text that keeps every value as written: "COMPortParam=9600,n,8,1"
// reads back as that text and is saved back as that line (the stock INI form of QSettings
// reads it as a list and writes it back as another text). A value that would not survive a
// line of its own (line breaks, blanks around it, a leading quote) is written in double
// quotes with C escapes, the way the stock form writes it, so older files still read.
namespace {

QString decodeLine(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

QString unquoted(const QString& quoted)
{
    QString out;
    const QString body = quoted.mid(1, quoted.size() - 2);
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c != u'\\' || i + 1 == body.size()) {
            out += c;
            continue;
        }
        const QChar e = body[++i];
        switch (e.unicode()) {
        case u'r': out += u'\r'; break;
        case u'n': out += u'\n'; break;
        case u't': out += u'\t'; break;
        case u'a': out += u'\a'; break;
        case u'b': out += u'\b'; break;
        case u'f': out += u'\f'; break;
        case u'v': out += u'\v'; break;
        case u'0': out += QChar(0); break;
        case u'x': {
            int value = 0, digits = 0;
            while (digits < 4 && i + 1 < body.size() && hexValue(body[i + 1]) >= 0)
                value = value * 16 + hexValue(body[++i]), ++digits;
            out += digits ? QChar(char16_t(value)) : QChar(u'x');
            break;
        }
        default: out += e; break;   // \\, \", and anything else as itself
        }
    }
    return out;
}

bool needsQuotes(const QString& v)
{
    if (v.isEmpty()) return false;
    if (v.front().isSpace() || v.back().isSpace() || v.front() == u'"') return true;
    for (QChar c : v)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return true;
    return false;
}

QString quoted(const QString& v)
{
    QString out = QStringLiteral("\"");
    for (QChar c : v) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'"': out += QStringLiteral("\\\""); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out + u'"';
}

bool readIni(QIODevice& device, QSettings::SettingsMap& map)
{
    QString section;
    const QList<QByteArray> lines = device.readAll().split('\n');
    for (QByteArray raw : lines) {
        if (raw.endsWith('\r')) raw.chop(1);
        const QString line = decodeLine(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#')) continue;
        if (line.startsWith(u'[')) {
            // An unterminated header names nothing: the keys after it stay where they were.
            if (line.endsWith(u']')) section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed();
        if (key.isEmpty()) continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"')) value = unquoted(value);
        map.insert(section.isEmpty() ? key : section + u'/' + key, value);
    }
    return true;
}

// Why the last write of the file failed (an errno value), for the message.
thread_local int t_writeError = 0;

bool writeIni(QIODevice& device, const QSettings::SettingsMap& map)
{
    QString text;
    QString section = QStringLiteral("\x01");   // no section written yet
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().lastIndexOf(u'/');
        const QString keySection = slash < 0 ? QString() : it.key().left(slash);
        if (keySection != section) {
            if (!text.isEmpty()) text += u'\n';
            if (!keySection.isEmpty()) text += u'[' + keySection + QStringLiteral("]\n");
            section = keySection;
        }
        const QVariant& v = it.value();
        const QString value = v.typeId() == QMetaType::QStringList ? v.toStringList().join(u',') : v.toString();
        text += it.key().mid(slash + 1) + u'=' + (needsQuotes(value) ? quoted(value) : value) + u'\n';
    }
    const QByteArray bytes = text.toUtf8();
    errno = 0;
    // Pushed to the file now: a refusal (full disk, size limit) is seen before the new file
    // takes the old one's place.
    auto* file = qobject_cast<QFileDevice*>(&device);
    if (device.write(bytes) == bytes.size() && (!file || file->flush())) return true;
    t_writeError = errno;
    return false;
}

QSettings::Format storeFormat()
{
    static const QSettings::Format format = QSettings::registerFormat(QStringLiteral("ini"), readIni, writeIni);
    return format;
}

}   // namespace

struct IniSettingsStore::Impl {
    QString iniPath;   // empty: the user's store
    std::unique_ptr<QSettings> s;

    void open()
    {
        s = iniPath.isEmpty() ? std::make_unique<QSettings>(storeFormat(), QSettings::UserScope,
                                                            QStringLiteral("Mirtavolia"), QStringLiteral("Mirtavolia"))
                              : std::make_unique<QSettings>(iniPath, storeFormat());
    }

    // The stored spelling of a section or key that matches `name` without case.
    static QString match(const QStringList& names, const QString& name)
    {
        for (const QString& n : names)
            if (n.compare(name, Qt::CaseInsensitive) == 0) return n;
        return QString();
    }
    QString group(const QString& section) const { return match(s->childGroups(), section); }
    // Full stored path "Group/Key", or empty when absent.
    QString path(const QString& section, const QString& key) const
    {
        QString g = group(section);
        if (g.isEmpty()) return QString();
        s->beginGroup(g);
        QString k = match(s->childKeys(), key);
        s->endGroup();
        return k.isEmpty() ? QString() : g + u'/' + k;
    }
};

IniSettingsStore::IniSettingsStore() : d(std::make_unique<Impl>()) { d->open(); }

IniSettingsStore::IniSettingsStore(const QString& iniPath) : d(std::make_unique<Impl>())
{
    d->iniPath = iniPath;
    d->open();
}

IniSettingsStore::~IniSettingsStore() = default;

QString IniSettingsStore::fileName() const { return d->s->fileName(); }

bool IniSettingsStore::contains(const QString& section, const QString& key) const
{
    return !d->path(section, key).isEmpty();
}

QString IniSettingsStore::get(const QString& section, const QString& key, const QString& def) const
{
    QString p = d->path(section, key);
    if (p.isEmpty()) return def;
    return d->s->value(p).toString();
}

void IniSettingsStore::set(const QString& section, const QString& key, const QString& value)
{
    QString p = d->path(section, key);
    if (p.isEmpty()) {
        QString g = d->group(section);
        p = (g.isEmpty() ? section : g) + u'/' + key;
    }
    d->s->setValue(p, value);
}

void IniSettingsStore::remove(const QString& section, const QString& key)
{
    QString p = d->path(section, key);
    if (!p.isEmpty()) d->s->remove(p);
}

QStringList IniSettingsStore::keys(const QString& section) const
{
    QString g = d->group(section);
    if (g.isEmpty()) return {};
    d->s->beginGroup(g);
    QStringList k = d->s->childKeys();
    d->s->endGroup();
    return k;
}

void IniSettingsStore::sync()
{
    // A failure stays with the QSettings object that met it: the next save starts with a new
    // one, the values not yet saved still waiting in the file's shared cache.
    if (d->s->status() != QSettings::NoError) d->open();
    t_writeError = 0;
    d->s->sync();
    if (d->s->status() == QSettings::NoError) return;
    const QString path = d->s->fileName();
    throw AppError(75, QStringLiteral("Impostazioni"),
                   QStringLiteral("Errore durante la scrittura del file di configurazione\r"
                                  "Impossibile scrivere il file < %1 >: %2. Il file precedente è rimasto invariato.")
                       .arg(path, SystemErrorText(t_writeError)));
}

bool MemorySettingsStore::contains(const QString& section, const QString& key) const
{
    return m_values.count(id(section, key)) != 0;
}
QString MemorySettingsStore::get(const QString& section, const QString& key, const QString& def) const
{
    auto it = m_values.find(id(section, key));
    return it == m_values.end() ? def : it->second.second;
}
void MemorySettingsStore::set(const QString& section, const QString& key, const QString& value)
{
    auto& slot = m_values[id(section, key)];
    if (slot.first.isEmpty()) slot.first = key;
    slot.second = value;
}
void MemorySettingsStore::remove(const QString& section, const QString& key) { m_values.erase(id(section, key)); }
QStringList MemorySettingsStore::keys(const QString& section) const
{
    QStringList out;
    const QString prefix = section.toLower() + u'/';
    for (const auto& [k, v] : m_values)
        if (k.startsWith(prefix)) out << v.first;
    return out;
}

namespace {
std::shared_ptr<SettingsStore>& current()
{
    static std::shared_ptr<SettingsStore> s;
    return s;
}
}

SettingsStore& settingsStore() { return *sharedSettingsStore(); }
std::shared_ptr<SettingsStore> sharedSettingsStore()
{
    auto& s = current();
    if (!s) s = std::make_shared<IniSettingsStore>();
    return s;
}
void setSettingsStore(std::shared_ptr<SettingsStore> s) { current() = std::move(s); }
