#pragma once
// The filter-script part of the device options dialogs: the script editor with its Load,
// Save, Default and Test buttons. The dialog says what the script is for; the box does
// the rest through the filterscript helpers, and reports file errors itself.
#include <QString>
#include <QWidget>
#include <functional>

class QPlainTextEdit;
class QPushButton;

class FilterScriptBox : public QWidget {
    Q_OBJECT
public:
    struct Setup {
        QString caption;   // the label above the editor
        QString defaultScript;   // what Default puts in the editor
        QString proposedFile;   // file proposed by Load and Save
        QString testPrompt;   // the question of Test
        QString testToolTip;
        // Runs the filter on a code with the editor's text as a test script.
        std::function<QString(const QString& code, const QString& script)> tryScript;
    };
    FilterScriptBox(Setup setup, QWidget* parent);

    QString Script() const;
    void SetScript(const QString& script);

    // The buttons.
    void Load();
    void Save();
    void Default();
    void Test();

private:
    Setup m_setup;
    QPlainTextEdit* m_editor = nullptr;
};
