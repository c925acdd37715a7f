#pragma once
// What the label and receipt settings dialogs share: the printer list, the script editor
// with its modified flag, the question before leaving an edited script, the script files'
// dialogs, the printer set-up and the row of buttons. Each dialog adds its boxes and what
// its buttons print; the work is done by PrintSettings and PrintScriptFiles.
#include "ModalDialog.h"
#include <QString>
#include <functional>
#include <optional>

struct AppError;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;

class PrintSettingDialog : public ModalDialog {
public:
    // The script was edited (typed, replaced by the default or loaded) since the dialog opened.
    bool ScriptModified() const { return m_modified; }
    // Esci: with an edited script, asks before closing without saving.
    void reject() override;

    // An answer line "OK" presses OK, after the controls its name=value pairs name
    // (AnswerControls.h) are set; anything else is Esci.
    QString answerPrompt() const override { return QStringLiteral("OK / Esci"); }
    void applyAnswer(const QString& answer) override;

protected:
    PrintSettingDialog(QWidget* parent, const QString& objectName, const QString& title, const QString& scriptCaption);

    // A box of the dialog's grid, with its caption on its left.
    QLineEdit* addBox(int row, int column, const QString& caption, const QString& tip, const QString& objectName);
    // The installed printers in the system's order, the saved one selected (none when no
    // printer has that name).
    void fillPrinters(const QString& saved);
    QString chosenPrinter() const;
    QString script() const;                 // the editor's text, lines ended by CR LF
    void showScript(const QString& script); // counts as an edit
    // Call once the saved values are shown: nothing is edited yet.
    void clearModified() { m_modified = false; }

    // The file a script is loaded from or saved to ("VB Script|*.vbs", proposing `proposal`
    // in the data folder); none when cancelled, or when the operator will not replace an
    // existing file.
    std::optional<QString> fileToLoad(const QString& proposal);
    std::optional<QString> fileToSave(const QString& proposal);
    void showError(const AppError& e);
    // Runs `work`, showing the AppError it throws; true when it threw none.
    bool guarded(const std::function<void()>& work);

    QGridLayout* boxes() const { return m_boxes; }
    QVBoxLayout* extras() const { return m_extras; }   // rows between the boxes and the note

    QComboBox* m_cboPrinter = nullptr;
    QToolButton* m_cmdPrnSetting = nullptr;
    QPlainTextEdit* m_txtVBScript = nullptr;
    QPushButton* m_cmdPreview = nullptr;
    QPushButton* m_cmdDefault = nullptr;
    QPushButton* m_cmdLoad = nullptr;
    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdTest = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;

private:
    void printerSetup();

    QGridLayout* m_boxes = nullptr;
    QVBoxLayout* m_extras = nullptr;
    bool m_modified = false;
};
