#pragma once
// A modal choice of one row of a data set, by one of its fields: the rows listed in the data
// set's order, the chosen one made current. The main window's batches choose a supplier with
// it until the library's pick window stands in the main window.
#include "ModalDialog.h"
#include <QString>

class QListWidget;
class TableData;

class RowChoiceDialog : public ModalDialog {
    Q_OBJECT
public:
    RowChoiceDialog(TableData& rows, const QString& shownField, QWidget* parent = nullptr);

    // Shows the rows and waits; true with the chosen row current in `rows`.
    static bool Choose(TableData& rows, const QString& shownField, QWidget* owner);

    void Confirm();
    qint64 ChosenRow() const { return m_chosen; }
    QStringList Texts() const;

    // An answer line names the row by its shown text (case ignored); a text no row has cancels.
    QString answerPrompt() const override { return Texts().join(QStringLiteral(", ")); }
    void applyAnswer(const QString& answer) override;

private:
    QListWidget* m_list = nullptr;
    qint64 m_chosen = 0;
};
