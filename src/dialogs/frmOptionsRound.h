#pragma once
// The price-range rounding dialog: a working copy of the ranges in use, edited with Add and
// Delete, put in place of the program's ranges (and saved) only on OK.
#include "core/configuration/RoundRanges.h"
#include "widgets/ModalDialog.h"
#include <QList>
#include <memory>

class QLineEdit;
class QListWidget;
class QPushButton;

class frmOptionsRound : public ModalDialog {
    Q_OBJECT
public:
    explicit frmOptionsRound(QWidget* parent = nullptr);

    // "da  <from>  a  <to>   ->  <step>", each amount right-aligned in 20 characters.
    static QString RangeLine(Currency from, Currency to, Currency step);

    // The buttons.
    void Add();
    void Delete();
    void Ok();

    const QList<std::shared_ptr<clsRoundItem>>& WorkingList() const { return m_ranges; }

    // Shows the dialog modally over `owner`.
    static void ShowModal(QWidget* owner);

    // An answer line "OK" presses OK; anything else leaves the dialog.
    QString answerPrompt() const override { return QStringLiteral("OK / Esci"); }
    void applyAnswer(const QString& answer) override;

private:
    void addItem(Currency from, Currency to, Currency step);

    QList<std::shared_ptr<clsRoundItem>> m_ranges;
    QLineEdit* m_mskFrom = nullptr;
    QLineEdit* m_mskTo = nullptr;
    QLineEdit* m_mskRound = nullptr;
    QListWidget* m_lstRanges = nullptr;
};
