#pragma once
// What the sale and the supply windows share: the row entry. The code box takes codes typed
// or scanned (the barcode reader writes into it through the main window), the grid shows the
// document's rows, the buttons, the function keys and the code typed with Ctrl+Shift change
// them, and the grid menu keeps the grid's layout. Every row command ends with the focus in
// the code box, so that the next scan lands there.
//
// The window is a thin layer: the document's logic is DocumentSession's, the rows' logic
// DocumentRows', the keys' RowKeys'. Here too the window's life around the document: opened
// as the one window of its kind, activated, a document edited, confirmed or given up and the
// next one shown. A derived window supplies the document and lays out the controls built
// here with its own header and bottom panel.
//
// The window runs through ui().runModal: the main window is disabled while it is open
// anyway, and an answer file can drive it like any other window (see answerPrompt).
#include "documents/DocumentRows.h"
#include "documents/DocumentSession.h"
#include "widgets/ModalDialog.h"
#include "documents/RowKeys.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <memory>
#include <tuple>
#include <utility>

class BarcodeTarget;
class Database;
class DocumentOperator;
class LibraryDocumentOperator;
class GridLayout;
class ObjDataGrid;
class QAction;
class QCheckBox;
class QLabel;
class QLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class TableData;

class DocumentForm : public ModalDialog {
    Q_OBJECT
public:
    DocumentForm(DocumentKind kind, Database& db, QWidget* owner);
    ~DocumentForm() override;

    // Activation: a new document when none is open, and the code box made the target of
    // scanned codes. False when no document could start: the window has unloaded.
    bool Activate();
    // The document `dataSet` stands on, opened for changes (" - MODIFICA " in the caption).
    // False when it could not be opened: the window has unloaded.
    bool Edit(TableData* dataSet);
    // The header as the document has it now.
    virtual void showHeader() = 0;

    // ---- the row commands ---------------------------------------------------------------------
    void cmdAutoAdd_Click();   // "Agg. [F2]"
    void cmdAdd_Click();   // "+"
    void cmdSub_Click();   // "-"
    void cmdEdit_Quantita_Click();   // "&Quantità [F5]"
    void cmdDeleteItem_Click();   // "&Elimina [F10]"
    void cmdEdit_Click();   // "&Modifica [F12]"
    void cmdAddItem_Click();   // "&Definisci"
    // The grid menu "&Impostazione Griglia".
    void mnuGridFldAll_Click();
    void mnuGridFldSequence_Click();
    void mnuGridCancel_Click();

    void cmdConfirm_Click();   // "&Conferma", Enter in the empty code box
    void cmdSet_Counterpart_Click();   // "..." beside the customer or the supplier

    // The rows read again and shown standing on `row` (0: the first); the focus to the code
    // box when it can take it.
    void Refresh_Articoli(qint64 row = 0);

    QLineEdit* codeBox() const { return m_txtCode_Articolo; }
    ObjDataGrid* grid() const { return m_dgArticoli; }
    GridLayout* gridLayout() const { return m_layout.get(); }
    QMenu* gridMenu() const { return m_mnuGridSetting; }
    // The key of the row selected in the grid, 0 when none is.
    qint64 selectedRow() const;

    // An answer line is a code, taken as the barcode reader hands it over, or a key in angle
    // brackets: "<F2>" ... "<F12>", "<Canc>", "<Ins>", "<+>", "<->", "<Invio>" (Enter in the
    // empty code box: the document's confirm), or a button: "<Conferma>", "<Annulla>" and
    // the derived window's own. The window stays open for the next line; "<cancel>" closes
    // it as the close box does. A line goes through the control a person would use (the code
    // box for codes and keys, the button for a button): one disabled or hidden refuses it
    // (see AnswerReaches).
    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

    // The close box, and "<cancel>" of an answer file: the window unloads when the document
    // may be given up.
    void reject() override;

protected:
    // The main window's new document (document null) or view/edit of the document
    // `document` stands on: the one window of its kind, run until it closes. With one
    // already open, nothing.
    template <class Form> static void openOne(QWidget* owner, TableData* document);
    // The window openOne runs, null when none is open.
    template <class Form> static Form* openedOne() { return static_cast<Form*>(openWindow<Form>().data()); }

    // The document the window shows: set once, by the derived window's constructor.
    void attach(DocumentSession& session) { m_session = &session; }
    void cmdCancel_Click();
    // A key of the key table that only this window has; true when it was taken.
    virtual bool formCommand(RowKeyCommand command) = 0;
    // An answer line's button of this window; true when it was one.
    virtual bool answerButton(const QString& name);
    // The buttons an answer line names ("<Importa>"), each with its control (which must be
    // usable, as for a person) and what pressing it does.
    void answerButtons(std::initializer_list<std::tuple<const char*, QWidget*, std::function<void()>>> buttons);
    // A new document is about to start.
    virtual void documentComing() { }
    // An opened document shown: by default its rows read again.
    virtual void showDocument() { Refresh_Articoli(); }
    // The document is closed: the window is about to unload.
    virtual void documentClosed() { }
    // A confirm has ended, whatever came of it.
    virtual void confirmEnded() { }
    // After confirm or cancel: the next document shown, or the window unloaded.
    void after(DocumentSession::After next);
    void changeEvent(QEvent* event) override;
    // Scanned and typed codes are taken (the sale does not take them while its receipt is sent).
    virtual bool codesAccepted() const { return true; }
    virtual bool backupMarkOn() const { return false; }
    // Grid columns hidden for this binding.
    virtual QStringList hiddenColumns() const;
    // After the rows or the selected row changed: marks, totals.
    virtual void rowsChanged() { }
    virtual void selectedRowChanged() { }
    // After a row command: it changed the rows and what they add up to, nothing else of the
    // document. By default as rowsChanged.
    virtual void rowsEdited() { rowsChanged(); }

    // The document's confirm. Meanwhile (the payment's editor, the receipt, the questions
    // after) a code the reader hands over, the next customer's first article, is no part of
    // it: the code waits in the box, which a confirmed document empties; a document that
    // stays open takes it afterwards (takeWaitingCode).
    // Confirm and cancel are off while it runs.
    template <class F> auto confirmDocument(F&& confirm)
    {
        struct Scope {
            DocumentForm& form;
            ~Scope() { form.confirming(false); }
        } scope {*this};
        confirming(true);
        return confirm();
    }
    void takeWaitingCode();

    // `op`, or, with none, the library's own windows over this one answering the document's
    // questions.
    DocumentOperator& documentOperator(DocumentOperator* op);
    // A box that shows a value of the document, typed into through its "..." button only.
    QLineEdit* shownText(const char* name, const QString& tip = QString());
    // The window's name and caption; "edited": the caption tells that a document is changed.
    void setCaption(const char* name, const QString& caption);
    void showCaption(bool edited = false);
    // The totals and the confirm and cancel buttons below the rows, built where the derived
    // window's own controls are, so that the focus passes them in the same order.
    void buildTotals(const QString& confirmTip, const QString& cancelTip);
    // The window laid out: the derived window's header, the row entry with `marks` beside
    // the option box, the grid, the totals and the buttons.
    void layOut(QLayout* header, std::initializer_list<QWidget*> marks);
    // The totals emptied, the second currency's caption shown, the converted total hidden
    // without one.
    void loadTotals();
    void showTotals(Currency total, bool converted, Currency convertedTotal);

    // Load: the window's placement restored, the grid's layout read, the main window disabled.
    void loadForm();
    // The code box as the target of scanned codes.
    std::shared_ptr<BarcodeTarget> codeBoxTarget();
    // The window unloads without asking again (the document said so).
    void unload();
    bool unloaded() const { return m_unloaded; }
    // The grid bound again with the layout and the hidden columns of now.
    void bindGrid();
    // Every key of the window's controls seen by the window first: called once the derived
    // window has built its controls.
    void watchKeys();
    void focusCodeBox();
    // What a row command did, shown.
    void show(const DocumentRows::Result& result);

    QPushButton* button(const char* name, const QString& caption, const QString& tip = QString());
    QLabel* label(const char* name, const QString& caption);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // The controls of the row entry, laid out by the derived window.
    QLabel* m_lblArticolo = nullptr;
    QLineEdit* m_txtCode_Articolo = nullptr;
    QPushButton* m_cmdAutoAdd = nullptr;
    QPushButton* m_cmdAdd = nullptr;
    QPushButton* m_cmdSub = nullptr;
    QPushButton* m_cmdEdit_Quantita = nullptr;
    QPushButton* m_cmdEdit = nullptr;
    QPushButton* m_cmdDeleteItem = nullptr;
    QPushButton* m_cmdAddItem = nullptr;
    QCheckBox* m_chkFind_Aggiuntivo = nullptr;
    QPushButton* m_cmdGridSetting = nullptr;
    ObjDataGrid* m_dgArticoli = nullptr;
    // The totals and buttons below the rows (buildTotals).
    QLabel* m_lblTotale = nullptr;
    QLabel* m_lblAltraValuta = nullptr;
    QLabel* m_lblTotaleConv = nullptr;
    QPushButton* m_cmdConfirm = nullptr;
    QPushButton* m_cmdCancel = nullptr;

    Database& m_db;

private:
    template <class Form> static QPointer<DocumentForm>& openWindow()
    {
        static QPointer<DocumentForm> window;
        return window;
    }
    // The working database, null when there is none or `document` (when given) stands on no row.
    static Database* workingDatabase(TableData* document);
    DocumentRows* rowEntry();
    TableData* documentRows();
    qint64 documentKey() const;
    void confirming(bool on);
    void codeChanged(const QString& text);
    bool formKeyDown(QKeyEvent* event, QObject* watched);
    bool runCommand(RowKeyCommand command, QObject* watched);
    bool codeBoxKeyPress(QKeyEvent* event);
    void syncGrid(qint64 row);
    void refreshRows(qint64 row);
    void applyDefaultSequence();
    bool hasOwnSequence() const;
    template <class F> void rowCommand(F&& command);

    DocumentKind m_kind;
    DocumentSession* m_session = nullptr;
    QPointer<DocumentForm>* m_openSlot = nullptr;   // where openOne keeps this window
    struct AnswerButton {
        QString name;
        QPointer<QWidget> control;
        std::function<void()> press;
    };
    QList<AnswerButton> m_answerButtons;
    std::unique_ptr<LibraryDocumentOperator> m_ownOperator;
    QString m_caption;
    KeyboardCodeEntry m_keyEntry;
    std::shared_ptr<GridLayout> m_layout;
    std::unique_ptr<TableData> m_gridRows;   // the grid's own copy of the rows' data set
    const TableData* m_boundRows = nullptr;   // the document's rows it was copied from (compared only)
    qint64 m_boundOwner = 0;   // and their document
    QStringList m_boundHidden;
    QMenu* m_mnuGridSetting = nullptr;
    QAction* m_mnuGridFldSequence = nullptr;
    bool m_inCommand = false;
    bool m_confirming = false;
    bool m_unloaded = false;
    bool m_activating = false;
};

template <class Form> void DocumentForm::openOne(QWidget* owner, TableData* document)
{
    QPointer<DocumentForm>& slot = openWindow<Form>();
    if (slot) {
        slot->activateWindow();
        return;
    }
    Database* db = workingDatabase(document);
    if (!db) return;
    Form window(*db, owner);
    slot = &window;
    window.m_openSlot = &slot;
    const bool opened = document ? window.Edit(document) && window.Activate() : window.Activate();
    if (opened) (void)window.runModal();
}
