#pragma once
// The rows of a document's list (a supply's payments, the vouchers a sale uses) in the
// library's rows window, held modal over the document window: the operator reviews, edits,
// adds and removes rows there, and the document goes on once it closes. The library's own
// rows window is modeless, and a modeless window under a modal one takes no input.
//
// An answer line closes it: a headless run reviews nothing.
#include "widgets/ModalDialog.h"

#include <QStringList>

class TableData;
class ViewWindow;

class RowsListDialog : public ModalDialog {
    Q_OBJECT
public:
    // `columns` are the fields shown first (the others follow only when none is given).
    RowsListDialog(TableData& rows, const QStringList& columns, QWidget* owner = nullptr);
    ~RowsListDialog() override;

    ViewWindow* View() const { return m_view; }

    QString answerPrompt() const override { return QStringLiteral("Chiudi"); }
    void applyAnswer(const QString&) override { accept(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ViewWindow* m_view = nullptr;
};
