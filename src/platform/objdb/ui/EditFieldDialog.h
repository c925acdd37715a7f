#pragma once
// Edits one named field of a data set's current row in a small window of its own, with the
// field's typed editor; OK sets the value (the table rules run; a refusal is shown and the
// window stays open) and stores the row. An answer line is the value as typed.
#include "widgets/ModalDialog.h"
#include <QString>

class FieldEditor;
class QLabel;
class TableData;

class EditFieldDialog : public ModalDialog {
    Q_OBJECT
public:
    EditFieldDialog(TableData& row, const QString& field, const QString& title, bool store, QWidget* parent = nullptr);

    // True when the new value was set (and, with store, the row stored). A field the
    // operator's level may not see is not offered (false, with a message).
    static bool Edit(TableData& row, const QString& field, const QString& title = QString(), bool store = true,
                     QWidget* owner = nullptr);

    FieldEditor* Editor() const { return m_editor; }
    bool Confirm();

    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;
    void reject() override;

private:
    void show(const QString& message, bool refusal);

    TableData& m_row;
    QString m_field;
    bool m_store;
    bool m_editable = false;
    FieldEditor* m_editor = nullptr;
    QLabel* m_lblMessage = nullptr;
};
