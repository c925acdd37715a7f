#pragma once
// What the label and receipt settings dialogs share: the printer list, the script editor
// with its modified flag, the question before leaving an edited script, the script files,
// the printer set-up, the row of buttons, and the test print and preview of a picked row.
// Each dialog adds its boxes, how it keeps them and how it prints a row; the work is done
// by PrintSettings and PrintScriptFiles.
#include "widgets/ModalDialog.h"
#include <QHash>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

struct AppError;
class PreviewTarget;
class PrintTarget;
class TableData;
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

    // The buttons.
    void Confirm();   // OK: keeps the settings, saves the configuration, closes
    void Default();   // Predefinto: the default script in the editor
    void LoadScript();   // Carica
    void SaveScript();   // Salva
    void TestPrint();   // Test: a picked row printed on the printer chosen in the list
    void Preview();   // Anteprima: the same in the preview window

protected:
    // What sets one settings dialog apart from the other.
    struct Kind {
        const char* objectName;
        const char* title;
        const char* columnsCaption;   // the box of pieces (labels, tickets) per row, first in the grid
        const char* columnsTip;
        const char* scriptCaption;   // over the editor
        const char* fileProposal;   // the script file proposed in the data folder
        QString (*defaultScript)();
        const char* testTable;   // the table whose picked row a test prints
    };
    // `showPreview` shows a preview that was drawn, modally over the dialog.
    using PreviewShow = void (*)(QWidget* owner, std::shared_ptr<PreviewTarget> target);
    PrintSettingDialog(QWidget* parent, Kind kind, PreviewShow showPreview);

    // Keeps the settings the dialog shows and saves the configuration; AppError naming a box
    // that holds no number.
    virtual void keepSettings() = 0;
    // Prints a row with the settings the dialog shows (not yet kept); false when it did not
    // print whole. AppError, before anything is picked, for a box that holds no number.
    using RowPrint = std::function<bool(std::shared_ptr<PrintTarget> target, TableData& row)>;
    virtual RowPrint rowPrint() const = 0;
    // A script file into the dialog, and the dialog into a script file. AppError naming the
    // file when it cannot be read or written.
    virtual void readScriptFile(const QString& path);
    virtual void writeScriptFile(const QString& path) const;

    // A box with its caption on its left, in the dialog's grid or in `grid`.
    QLineEdit* addBox(int row, int column, const QString& caption, const QString& tip, const QString& objectName,
                      QGridLayout* grid = nullptr);
    int16_t columnsShown() const;   // AppError naming the box when it holds no count
    void showColumns(int columns);
    // A box as a number of millimetres; AppError naming the box (its caption) when it holds
    // no number.
    float millimetresIn(const QLineEdit* box) const;
    static void showMillimetres(QLineEdit* box, float value);
    // The installed printers in the system's order, the saved one selected (none when no
    // printer has that name).
    void fillPrinters(const QString& saved);
    QString chosenPrinter() const;
    QString script() const;   // the editor's text, lines ended by CR LF
    void showScript(const QString& script);   // counts as an edit
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
    QString defaultScript() const { return m_kind.defaultScript(); }

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

    Kind m_kind;
    PreviewShow m_showPreview;
    QGridLayout* m_boxes = nullptr;
    QLineEdit* m_txtColumns = nullptr;
    QHash<const QLineEdit*, QString> m_captions;
    QVBoxLayout* m_extras = nullptr;
    bool m_modified = false;
};

// One settings dialog of the settings `S`: the boxes of millimetres each show a setting,
// `Keep` keeps the settings the dialog shows, `Print` prints a picked row with them, and the
// preview is shown in a `PreviewWindow`.
template <class Dialog, class PreviewWindow, class S, void (*Keep)(const S&),
          bool (*Print)(std::shared_ptr<PrintTarget>, const S&, TableData&)>
class PrintSettingDialogOf : public PrintSettingDialog {
public:
    // Shows the dialog modally over `owner`.
    static void ShowModal(QWidget* owner)
    {
        Dialog dialog(owner);
        dialog.runModal();
    }

    // The settings as the dialog shows them; AppError naming a box that holds no number.
    S Settings() const
    {
        S s;
        s.PrinterName = chosenPrinter();
        s.ModuleColumns = columnsShown();
        for (const auto& [box, setting] : m_millimetres) s.*setting = millimetresIn(box);
        readOtherBoxes(s);
        s.VBScript = script();
        return s;
    }

protected:
    PrintSettingDialogOf(QWidget* parent, Kind kind)
        : PrintSettingDialog(parent, std::move(kind), [](QWidget* owner, std::shared_ptr<PreviewTarget> target) {
              PreviewWindow(std::move(target), owner).runModal();
          })
    { }

    // A box of millimetres that shows `setting`.
    QLineEdit* bind(QLineEdit* box, float S::*setting)
    {
        m_millimetres.emplace_back(box, setting);
        return box;
    }
    // The saved settings in the controls (the default script for none); nothing is edited yet.
    void showSettings(const S& s)
    {
        fillPrinters(s.PrinterName);
        showColumns(s.ModuleColumns);
        for (const auto& [box, setting] : m_millimetres) showMillimetres(box, s.*setting);
        showScript(s.VBScript.isEmpty() ? defaultScript() : s.VBScript);
        clearModified();
    }
    // What the dialog shows besides the printer, the boxes of numbers and the script.
    virtual void readOtherBoxes(S&) const { }

    void keepSettings() override { Keep(Settings()); }
    RowPrint rowPrint() const override
    {
        return [s = Settings()](std::shared_ptr<PrintTarget> target, TableData& row) {
            return Print(std::move(target), s, row);
        };
    }

private:
    std::vector<std::pair<QLineEdit*, float S::*>> m_millimetres;
};
