#pragma once
// The find dialog of the main window and of the document forms: the text to look for in
// one field, whether to match inside texts, and whether the user asked for the next
// occurrence. The last confirmed search is remembered for the whole run, so the same
// field offers its last text again with "Successivo" ready.
#include "widgets/ModalDialog.h"
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What the dialog decides, without a window.
class SearchTextMemory {
public:
    // Kept between uses of the dialog.
    QString LastFieldName;
    QString LastSearchText;
    // Set by each use.
    QString SearchText;
    bool SearchInside = false;
    bool Confirmed = false;
    bool FindNext = false;

    // Load: the answers of the previous use are forgotten, the last search is not.
    void load();
    // On showing for `fieldName`: whether the last text comes back (same field as the last
    // confirmed search); when it does, Next becomes the default button if it is shown.
    bool offersLastText(const QString& fieldName) const { return fieldName == LastFieldName; }
    // The inside option can be ticked only for a text of at least two characters.
    static bool insideUsable(const QString& text) { return text.size() >= 2; }
    // OK (findNext false) or Next (true).
    void confirm(const QString& fieldName, const QString& text, bool insideTicked, bool insideOffered, bool findNext);
};

class frmSearchText : public ModalDialog {
    Q_OBJECT
public:
    explicit frmSearchText(QWidget* parent = nullptr);

    // The memory every instance shares.
    static SearchTextMemory& memory();

    // Shows the dialog modally over `owner` for `fieldName`, with the inside option when
    // showInside and the Next button when showNext; true when confirmed. The caller then
    // reads SearchText(), SearchInside() and FindNext().
    static bool GetSelection(QWidget* owner, const QString& fieldName, bool showInside, bool showNext);
    static QString SearchText() { return memory().SearchText; }
    static bool SearchInside() { return memory().SearchInside; }
    static bool FindNext() { return memory().FindNext; }
    static bool Confirmed() { return memory().Confirmed; }

    // The steps of GetSelection before the modal wait.
    void Prepare(const QString& fieldName, bool showInside, bool showNext);
    bool NextIsDefault() const;
    // After Prepare: `typed` was typed on the window that opened the dialog, so it takes the
    // place of the text offered, with the cursor after it, ready for the next key.
    void TypeAhead(const QString& typed);
    QString TypedText() const;

    // An answer line is the text to look for, confirmed with OK.
    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void activate();
    void textChanged(const QString& text);
    void confirm(bool findNext);

    QLabel* m_lblFieldName = nullptr;
    QLineEdit* m_txtSearch = nullptr;
    QCheckBox* m_chkInternal = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdNext = nullptr;
    bool m_showInside = true;
    bool m_showNext = true;
    bool m_typedAhead = false;
};
