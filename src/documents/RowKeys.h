#pragma once
// The keys of the document forms: the function keys and the keys that reach the rows from
// anywhere in the form (the form sees keys before its controls), and the entry of a code
// typed with Ctrl and Shift held, whatever control has the focus.
#include "DocumentRows.h"

#include <QString>
#include <Qt>

enum class RowKeyCommand {
    None,   // not the form's: the key goes on to the control
    FocusGrid,   // Down, Page Down
    DeleteRow,   // Delete, F10
    AddArticle,   // Insert (alone), F2
    SwitchReceipt,   // F3, sale: "Ricevuta [F3]"
    SwitchFiscal,   // F4, sale: "Scontrino [F4]"
    SwitchSupplierOnly,   // F4, supply: "Solo articoli del fornitore in ricerca   [F4]"
    EditQuantity,   // F5
    ChooseCustomer,   // F6, sale
    MoveToBackup,   // F7, sale, only while the backup-archive mark is on
    SwitchAdditional,   // F8: "Cerca codice a&ggiuntivo [F8]"
    ReadCard,   // F9, sale
    EditRow,   // F12
    EmptyCodeBox,   // Home: the code box emptied and focused
};

// The form's command for a key pressed; None leaves the key to the control that has it.
[[nodiscard]] RowKeyCommand KeyCommand(DocumentKind kind, int key, Qt::KeyboardModifiers modifiers, bool backupMarkOn);

// A code typed with Ctrl and Shift held: pressing the second of them starts the entry
// (the window empties the code box and gives it the focus); letters and digits of the main
// keyboard go into the box in capitals while it has the focus; releasing Ctrl ends the entry
// and adds the article of the code typed. Releasing Shift does not end it.
class KeyboardCodeEntry {
public:
    enum class Action {
        None,
        Start,   // empty the code box and focus it
        Append,   // append `text` to the code box
        Finish,   // add the article of the code box, when it has the focus and is not empty
    };
    struct Step {
        Action action = Action::None;
        QString text;
    };

    // A key the form sees pressed that no command of the key table took.
    Step keyDown(int key, Qt::KeyboardModifiers modifiers, bool codeBoxFocused);
    Step keyUp(int key);
    bool active() const { return m_active; }

private:
    bool m_active = false;
};
