#pragma once
// The library's row editor: one window built from a table's declared fields and references.
// Fields get typed editors; a single reference is typed by its key field or picked, and shows
// its display fields; a list shows its rows in a grid; a line (a row of a child table) shows
// its parent row, chosen by its key, or, with "@DisableParentIdentify@", filled in as a new
// parent made with the line.
//
// The operator's access level (the database's) applies: a field whose least level to be seen
// (o2) is above it is not in the window at all; one whose least level to be changed (o1) is
// above it cannot be edited.
//
// Each change is set in the data set as the operator leaves the field, so the table rules
// run and what they change shows at once; a refusal or warning of a rule is shown in a
// message box and on the window's message line, and the window stays open. OK stores the
// row (a refusal keeps the window open, the row as it was stored); Annulla drops every
// pending change. The result is the row's key, or nothing when cancelled.
//
// An answer line holds "Field=value" pairs separated by TAB (a reference takes the key of
// the row it points to; an empty value empties the field), and then presses OK; an empty
// line presses OK at once.
#include "widgets/ModalDialog.h"
#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class FieldEditor;
class ListBox;
class QFormLayout;
class QLabel;
class QVBoxLayout;
class ReferenceBox;
class TableData;
class TableObject;
struct FieldDefinition;
struct ReferenceDefinition;

struct RowEditorOptions {
    // A line's own fields before its parent's (the default shows the parent first).
    bool invertParent = false;
    // The parent is not chosen among the stored ones: it is filled in and made with the line.
    bool disableParentIdentify = false;
    // The parent's fields are not shown (the caller set the parent).
    bool hideParent = false;
    QString startField;   // the field the cursor starts on
    bool editable = true;   // false: the row is only shown
    bool store = true;   // OK stores the row; false leaves the changes pending for the caller
    QString caption;   // empty: the table's caption
};

class RowEditor : public ModalDialog {
    Q_OBJECT
public:
    // Edits the current row of `data` (a new row when it is one).
    RowEditor(TableData& data, RowEditorOptions options, QWidget* parent = nullptr);
    ~RowEditor() override;

    // Splits presets into the option keys ("@InvertParent@", "@DisableParentIdentify@", and
    // the parent table's name with an empty value, which hides the parent) and the
    // (field, value, ...) pairs set in a new row.
    static RowEditorOptions OptionsFrom(const QVariantList& presets, TableData& data, QVariantList* fieldPresets);

    // Edits the current row: its key when stored (or left pending), nothing when cancelled.
    static std::optional<qint64> EditRow(TableData& data, const RowEditorOptions& options = {},
                                         QWidget* owner = nullptr);
    // A new row of `data` with the presets: its key when stored, nothing when cancelled (the
    // data set then has no current row). A single reference's preset is the OID of the row it
    // points to when it is a whole number, else the text of its key field.
    static std::optional<qint64> NewRow(TableData& data, const QVariantList& presets = {}, QWidget* owner = nullptr);

    // --- what the window shows (also for tests) ------------------------------------------------
    QStringList ShownNames() const;   // fields, references and lists, in order
    bool Shows(const QString& name) const;
    bool CanEdit(const QString& name) const;
    FieldEditor* Editor(const QString& field) const;   // null for references and lists
    ReferenceBox* Reference(const QString& name) const;
    ListBox* List(const QString& name) const;
    QString Message() const;   // the last refusal or warning shown

    // Sets one field or reference as the operator types it; false when refused or wrong.
    bool SetFieldText(const QString& name, const QString& text);
    // OK: stores the row and closes; false (and open) when refused.
    bool Save();
    std::optional<qint64> Result() const { return m_result; }

    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;
    void reject() override;

private:
    struct FieldSlot {
        QString name;
        int level = 0;   // 0 the row's own, 1 its parent's
        const FieldDefinition* def = nullptr;
        FieldEditor* editor = nullptr;
        bool editable = false;
    };
    struct RefSlot {
        QString name;
        const ReferenceDefinition* def = nullptr;
        ReferenceBox* box = nullptr;
        bool editable = false;
        QString keyField;
    };
    struct ListSlot {
        QString name;
        const ReferenceDefinition* def = nullptr;
        ListBox* box = nullptr;
    };

    void build();
    void addOwnPart(QVBoxLayout* page);
    void addParentPart(QVBoxLayout* page);
    void addListPart(QVBoxLayout* page);
    FieldSlot* fieldSlot(const QString& name);
    RefSlot* refSlot(const QString& name);
    TableData& sourceOf(const FieldSlot& slot) const;
    void refresh();
    bool commitField(FieldSlot& slot);
    bool commitReference(RefSlot& slot);
    bool commitParentKey();
    void pickReference(RefSlot& slot);
    void pickParent();
    void addToList(ListSlot& slot);
    void removeFromList(ListSlot& slot, qint64 member);
    bool commitPending();
    void show(const QString& message, bool refusal);
    // Runs a change with the rules' messages shown here; false when refused or failed.
    bool change(const std::function<void()>& step);

    TableData& m_data;
    RowEditorOptions m_options;
    TableObject* m_table = nullptr;
    TableObject* m_parentTable = nullptr;
    int m_level = 0;
    int m_decimals = 2;
    std::vector<FieldSlot> m_fields;
    std::vector<RefSlot> m_refs;
    std::vector<ListSlot> m_lists;
    ReferenceBox* m_parentKey = nullptr;   // the line's parent, by its key
    std::unique_ptr<TableData> m_newParent;   // the parent made with the line
    bool m_newParentStored = false;
    QLabel* m_lblMessage = nullptr;
    QStringList m_order;   // names in the order shown
    QString m_message;
    std::optional<qint64> m_result;
    bool m_refreshing = false;
};
