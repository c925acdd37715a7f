#pragma once
// The choice of an operator from the table of operators (or another table with a "Nome"
// field), ordered by name.
#include "widgets/ModalDialog.h"
#include <QString>
#include <QVariant>
#include <memory>

class QComboBox;
class QLabel;

class frmSelectOper : public ModalDialog {
    Q_OBJECT
public:
    explicit frmSelectOper(QWidget* parent = nullptr);

    // Before showing: a name to preselect. After closing: the chosen name, empty when
    // cancelled.
    QString OperatorName;
    // After closing: the chosen row's OID.
    QVariant OperatorKey;
    // The table to choose from; empty means "Operatori".
    QString OperatorTable;

    // Fills the list from the open database and preselects OperatorName (then emptied).
    // Errors are reported, leaving the list as far as it got.
    void Load();
    void Confirm();
    void Cancel();

    // Load, then the modal wait.
    void ShowModal(QWidget* owner);

    QStringList Names() const;

    // An answer line names the operator to choose (case ignored); an empty line confirms the
    // one preselected, a name not in the list cancels.
    QString answerPrompt() const override { return Names().join(QStringLiteral(", ")); }
    void applyAnswer(const QString& answer) override;

private:
    QComboBox* m_cmbOperatore = nullptr;
    QLabel* m_lblMessage = nullptr;
};
