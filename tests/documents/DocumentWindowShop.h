#pragma once
// The counter shop with the sale or supply window over it: scans reach the code box through
// the target the window registers with the main window, keys go to the window's controls as
// the operator presses them, and what the grid and the labels show is read back. The
// library's dialogs are the real ones, answered from the script like every other window.
#include "CounterShop.h"
#include "documents/ui/DocumentForm.h"

#include <QCoreApplication>
#include <functional>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

class LazyTableModel;
class ObjDataGrid;

class DocumentWindowShop : public CounterShop {
protected:
    // The main window the window registers its code box with.
    RecordingMainWindow* registered = &mainWindow;
    // A code as the barcode reader hands it over: the line and one CR, into the box the
    // window registered.
    void scan(const QString& code);
    // The same code handed over while the modal window of that name waits for the operator
    // (the next customer's article scanned while the payment's editor is open), once.
    void scanWhileShown(const QString& windowName, const QString& code);
    // `action` run once while the window named `windowName` is shown.
    void runWhileShown(const QString& windowName, std::function<void()> action);
    // A key pressed and released on a control of the window.
    static void press(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                      const QString& text = QString());
    static void release(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier);

    // The grid's rows as "CODE quantity" (the article's code and the row's quantity field).
    static QStringList gridRows(DocumentForm& window, const QString& quantityField);
    // The grid's column titles as fields.
    static QStringList gridFields(DocumentForm& window);
    // Waits for the grid's pending reads.
    static void settle(DocumentForm& window);

    template <class W> static W* child(QWidget& w, const char* name)
    {
        W* c = w.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static QString text(QWidget& w, const char* label) { return child<QLabel>(w, label)->text(); }
};
