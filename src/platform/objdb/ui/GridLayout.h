#pragma once
// A grid's layout kept by name: the field sequence (the fields shown, in order; empty shows
// every field), the column widths by field and the hidden columns. Layouts live in an INI
// file, one section per layout name; the document forms keep theirs ("VenditaArticoli",
// "FornituraArticoli") in the file named after the program.
#include <QHash>
#include <QString>
#include <QStringList>

class GridLayout {
public:
    GridLayout() = default;
    // A layout of `name` read from `iniPath` (empty path: one that is never stored).
    GridLayout(QString name, QString iniPath);

    const QString& Name() const { return m_name; }
    const QString& FilePath() const { return m_path; }

    // Comma list of field names; empty: every field.
    QString FieldSequence() const { return m_sequence; }
    void SetFieldSequence(const QString& sequence);
    QStringList Fields() const;

    // Width in pixels; 0 when none is kept.
    int ColumnWidth(const QString& field) const;
    void SetColumnWidth(const QString& field, int width);

    const QStringList& HiddenColumns() const { return m_hidden; }
    bool IsHidden(const QString& field) const;
    void SetHidden(const QString& field, bool hidden);

    // Sequence, widths and hidden columns back to none.
    void Reset();

    // Changed since it was read or last saved.
    bool IsChanged() const { return m_changed; }
    // Writes the layout to its file; false when it has none or the file cannot be written.
    bool Save();
    // Reads it again from its file (what was not saved is lost).
    void Load();

    // The file named after the program in the per-user data folder: "<program>.INI".
    static QString DefaultFile();

private:
    QString m_name;
    QString m_path;
    QString m_sequence;
    QHash<QString, int> m_widths;   // lower-case field name -> width
    QStringList m_hidden;
    bool m_changed = false;
};
