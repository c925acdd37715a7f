#pragma once
// The choice of an operator from the table of operators (or another table with a "Nome"
// field), ordered by name.
#include <QDialog>
#include <QString>
#include <QVariant>
#include <memory>

class QComboBox;
class QLabel;

class frmSelectOper : public QDialog {
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

    // Load, then the modal wait. In headless runs the script names the operator to choose
    // (an empty line confirms the one preselected); "<cancel>" or a used-up script cancels.
    void ShowModal(QWidget* owner);

    QStringList Names() const;

private:
    QComboBox* m_cmbOperatore = nullptr;
    QLabel* m_lblMessage = nullptr;
};
