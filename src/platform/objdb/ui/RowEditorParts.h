#pragma once
// Pieces of the row editor that stand for more than one field: a single reference (typed by
// the referenced table's key field, shown with its display fields, or picked from a list),
// and a list reference (a grid of its rows; rows of a list the row does not own can be added
// and taken out).
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class ObjDataGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TableData;
struct ReferenceDefinition;

// The key field by which a reference is typed: its declared key field, else the target
// table's; empty when its rows can only be picked.
QString ReferenceKeyField(TableData& row, const ReferenceDefinition& ref);

class ReferenceBox : public QWidget {
    Q_OBJECT
public:
    ReferenceBox(const QString& keyField, QWidget* parent = nullptr);
    // Shows the referenced row: its key text and its display text.
    void show(const QString& keyText, const QString& displayText);
    QString typedKey() const;
    bool changed() const;
    void setText(const QString& key);
    void setReadOnly(bool readOnly);
    QWidget* focusTarget();
    bool typeable() const { return m_key != nullptr; }

signals:
    void keyTyped();   // a key was typed and the box left
    void pickAsked();   // the "..." button

private:
    QLineEdit* m_key = nullptr;
    QLabel* m_display;
    QToolButton* m_pick;
    QString m_shown;
};

class ListBox : public QWidget {
    Q_OBJECT
public:
    // members: the list's rows (kept by the box); shownFields: comma list of columns.
    ListBox(std::unique_ptr<TableData> members, const QString& shownFields, bool canChange, QWidget* parent = nullptr);
    ~ListBox() override;
    TableData& Members() const { return *m_members; }
    ObjDataGrid* Grid() const { return m_grid; }
    void setChangeable(bool on);
    void refresh();

signals:
    void addAsked();
    void removeAsked(qint64 member);

private:
    std::unique_ptr<TableData> m_members;
    ObjDataGrid* m_grid;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
};
