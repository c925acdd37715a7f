#include "GridLayout.h"
#include "base/SettingsStore.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString kSequence = QStringLiteral("FieldSequence");
const QString kHidden = QStringLiteral("HiddenColumns");
const QString kWidthPrefix = QStringLiteral("Width_");

QStringList splitList(const QString& text)
{
    QStringList out;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts))
        if (!part.trimmed().isEmpty()) out << part.trimmed();
    return out;
}
}

GridLayout::GridLayout(QString name, QString iniPath) : m_name(std::move(name)), m_path(std::move(iniPath)) { Load(); }

void GridLayout::SetFieldSequence(const QString& sequence)
{
    const QString tidy = splitList(sequence).join(u',');
    if (tidy == m_sequence) return;
    m_sequence = tidy;
    m_changed = true;
}

QStringList GridLayout::Fields() const { return splitList(m_sequence); }

int GridLayout::ColumnWidth(const QString& field) const { return m_widths.value(field.toLower(), 0); }

void GridLayout::SetColumnWidth(const QString& field, int width)
{
    if (field.isEmpty() || width < 0 || ColumnWidth(field) == width) return;
    m_widths.insert(field.toLower(), width);
    m_changed = true;
}

bool GridLayout::IsHidden(const QString& field) const { return m_hidden.contains(field, Qt::CaseInsensitive); }

void GridLayout::SetHidden(const QString& field, bool hidden)
{
    if (IsHidden(field) == hidden) return;
    if (hidden)
        m_hidden << field;
    else
        m_hidden.removeIf([&](const QString& f) { return f.compare(field, Qt::CaseInsensitive) == 0; });
    m_changed = true;
}

void GridLayout::Reset()
{
    if (m_sequence.isEmpty() && m_widths.isEmpty() && m_hidden.isEmpty()) return;
    m_sequence.clear();
    m_widths.clear();
    m_hidden.clear();
    m_changed = true;
}

void GridLayout::Load()
{
    m_sequence.clear();
    m_widths.clear();
    m_hidden.clear();
    m_changed = false;
    if (m_path.isEmpty() || m_name.isEmpty() || !QFileInfo::exists(m_path)) return;
    IniSettingsStore ini(m_path);
    m_sequence = splitList(ini.get(m_name, kSequence, QString())).join(u',');
    m_hidden = splitList(ini.get(m_name, kHidden, QString()));
    for (const QString& key : ini.keys(m_name)) {
        if (!key.startsWith(kWidthPrefix, Qt::CaseInsensitive)) continue;
        bool ok = false;
        const int w = ini.get(m_name, key, QString()).toInt(&ok);
        if (ok && w >= 0) m_widths.insert(key.mid(kWidthPrefix.size()).toLower(), w);
    }
}

bool GridLayout::Save()
{
    if (m_path.isEmpty() || m_name.isEmpty()) return false;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    IniSettingsStore ini(m_path);
    // Widths of fields no longer kept must not come back at the next load.
    for (const QString& key : ini.keys(m_name)) ini.remove(m_name, key);
    ini.set(m_name, kSequence, m_sequence);
    ini.set(m_name, kHidden, m_hidden.join(u','));
    for (auto it = m_widths.cbegin(); it != m_widths.cend(); ++it)
        ini.set(m_name, kWidthPrefix + it.key(), QString::number(it.value()));
    ini.sync();
    if (!QFileInfo::exists(m_path)) return false;
    m_changed = false;
    return true;
}

QString GridLayout::DefaultFile()
{
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return folder + u'/' + (program.isEmpty() ? QStringLiteral("mirtavolia") : program) + QStringLiteral(".INI");
}
