#pragma once
// The documents a program that died left open (a sale or supply never confirmed nor given
// up: killed, a power cut, a headless run that ran out of answers), undone when the working
// database is opened. The database library journals them; this says what was done.
#include <QString>

class Database;

struct UndoneDocuments {
    int sales = 0;   // unconfirmed sales deleted with their rules: stock, vouchers, points back
    int supplies = 0;   // unconfirmed supplies deleted: stock and average purchase price back
    int others = 0;   // rows of any other journalled table
    int failed = 0;   // refused, or the file failed: left for the next opening
    QString failure;   // the first failure's description

    // For the main window's status bar; empty when nothing was undone nor failed.
    [[nodiscard]] QString StatusText() const;
};

// Undoes what processes of this computer that have ended left open in the database's file.
// Documents of a program still running, here or on another computer sharing the file, are
// never touched. Asks nothing and raises nothing: a failure is counted and told.
UndoneDocuments UndoAbandonedDocuments(Database& db);
