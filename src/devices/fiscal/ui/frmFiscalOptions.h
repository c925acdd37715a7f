#pragma once
// The fiscal register's settings "Impostazione registratore di cassa": the register type,
// its port and timings, what goes on the receipt, setting-up hints and a test receipt.
// The rules are FiscalOptions'; the dialog reads its controls and shows what they return.
#include "devices/fiscal/FiscalOptions.h"
#include "widgets/ModalDialog.h"
#include "dialogs/frmOptions.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

class frmFiscalOptions : public ModalDialog {
    Q_OBJECT
public:
    explicit frmFiscalOptions(QWidget* parent = nullptr);

    // Enables the controls the chosen type uses.
    void EnableRegControls();
    // Stores what the controls hold; true once stored.
    [[nodiscard]] bool Save();
    void Ok();
    void Info();
    // Asks, stores the settings and prints the test receipt on the register they describe.
    void Test();
    bool Confirmed() const { return m_confirmed; }
    FiscalOptionsValues Values() const;

    // Shows the dialog modally over the owner; while it is loaded the main window is
    // disabled and its options flag set.
    static void ShowModal(QWidget* owner);

    // An answer line "OK" presses OK, after the controls its name=value pairs name
    // (AnswerControls.h) are set; anything else leaves.
    QString answerPrompt() const override { return QStringLiteral("OK / Esci"); }
    void applyAnswer(const QString& answer) override;

private:
    void typeChanged();
    std::optional<int32_t> chosenType() const;

    OptionsWindowScope m_scope;
    bool m_loaded = false;
    bool m_confirmed = false;
    QComboBox* m_cmbRegType = nullptr;
    QComboBox* m_cboCOMPortReg = nullptr;
    QComboBox* m_txtCOMParamReg = nullptr;
    QLineEdit* m_mebTmCmdReg = nullptr;
    QLineEdit* m_mebTimeoutReg = nullptr;
    QLineEdit* m_mebDepartmentReg = nullptr;
    QLineEdit* m_mebMaxDescrLen = nullptr;
    QCheckBox* m_chkCurConvReg = nullptr;
    QCheckBox* m_chkSendDescrReg = nullptr;
    QCheckBox* m_chkSendDescrDisplay = nullptr;
    bool m_conversionCurrency = false;
};
