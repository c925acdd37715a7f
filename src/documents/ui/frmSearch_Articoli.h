#pragma once
// "Cerca articolo...": finds an article of the main window's articles view by code,
// additional code or description, typed or scanned, and prints or edits the one found
// through the main window's commands. The window reads its controls and shows what
// ArticleSearch did; it keeps nothing between searches but the chosen options.
#include "documents/ArticleSearch.h"
#include "widgets/ModalDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmSearch_Articoli : public ModalDialog {
    Q_OBJECT
public:
    explicit frmSearch_Articoli(QWidget* owner = nullptr);
    ~frmSearch_Articoli() override;

    // The main window's command: the search over its articles view, modal over `owner`.
    static void ShowModal(QWidget* owner);

    // Before showing: the code box becomes the barcode reader's target (released when the
    // window closes).
    void Load();

    // "Cerca" (Enter), "&Stampa [F8]", "&Modifica [F5]", and F4's next search option.
    void Search();
    void PrintLabel();
    void Edit();
    void NextField();

    ArticleSearchField Field() const { return m_search.field; }
    bool NotFoundShown() const;

    // An answer line is the text to find, searched as Enter does; TAB-separated words before
    // it choose first: "Codice", "Codice Aggiuntivo", "Descrizione", "Solo" / "Tutti" (only
    // the matching articles shown, or all). "<F5>" and "<F8>" run those commands. The window
    // stays open for the next line.
    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    bool handleKey(int key);
    void textChanged(const QString& text);
    // An option chosen by the operator: the text goes, the box gets the focus.
    void chooseField(ArticleSearchField field);
    QRadioButton* optionOf(ArticleSearchField field) const;
    void registerCodeBox();
    void focusText();

    ArticleSearch m_search;
    bool m_codeBoxRegistered = false;
    QLineEdit* m_txtFind_Articolo = nullptr;
    QPushButton* m_cmdSearch = nullptr;
    QRadioButton* m_optFind_Codice = nullptr;
    QRadioButton* m_optFind_CodiceAggiuntivo = nullptr;
    QRadioButton* m_optFind_Descrizione = nullptr;
    QCheckBox* m_chkFilter = nullptr;
    QLabel* m_lblNotFound = nullptr;
    QPushButton* m_cmdPrint = nullptr;
    QPushButton* m_cmdEdit = nullptr;
};
