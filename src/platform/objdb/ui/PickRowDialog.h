#pragma once
// The pick list: the rows of a data set in a grid, with a search box over the first column;
// the operator picks one (double click, Enter or OK) or cancels. After a pick the data set's
// current row is the picked one.
//
// An answer line is the key text of the row to pick: its key field (the field users type,
// "Codice" for most tables), else the text of the first column shown; "#<OID>" picks by OID.
// A line that matches no row is refused with a message.
#include "widgets/ModalDialog.h"
#include <QString>
#include <optional>

class ObjDataGrid;
class QLineEdit;
class TableData;

class PickRowDialog : public ModalDialog {
    Q_OBJECT
public:
    // shownFields: comma list of the columns (empty: every field shown at the operator's level).
    PickRowDialog(TableData& rows, const QString& shownFields, const QString& title, QWidget* parent = nullptr);
    ~PickRowDialog() override;

    // The picked row's OID (after OK), else nothing.
    std::optional<qint64> Picked() const { return m_picked; }
    ObjDataGrid* Grid() const { return m_grid; }

    // Shows the pick list over `rows`, starting on `current` when given: the picked key, or
    // nothing when cancelled (the data set's current row is then unchanged).
    static std::optional<qint64> Pick(TableData& rows, const QString& shownFields = QString(),
                                      const QString& title = QString(), QWidget* owner = nullptr,
                                      std::optional<qint64> current = std::nullopt);

    // Picks the row whose key text is `key` (see above); false when none has it.
    bool PickKey(const QString& key);
    // Takes the grid's current row; false when there is none.
    bool PickCurrent();

    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

private:
    void search(const QString& text);

    TableData& m_rows;
    ObjDataGrid* m_grid = nullptr;
    QLineEdit* m_txtSearch = nullptr;
    QString m_searchField;
    std::optional<qint64> m_picked;
};
