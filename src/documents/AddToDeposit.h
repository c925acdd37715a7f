#pragma once
// Adding an article code to a deposit: the same code may exist once per deposit, so a code
// known in another deposit becomes a new article of the chosen one, and a code the chosen
// deposit has already is refused with a message. The new article is made in the library's
// row editor, preset with the code and the deposit.
//
// Messages go through ui(); the row editor through the ImportOperator.
#include <QString>
#include <vector>

class Database;
class ImportOperator;

class AddToDeposit {
public:
    AddToDeposit(Database& db, ImportOperator& op) : m_db(db), m_op(op) { }

    struct Deposit {
        qint64 key = 0;
        QString name;   // "Deposito" (the default deposit's is empty)
        QString description;
    };
    // Every deposit, in the table's order: the first is the one chosen when none is.
    std::vector<Deposit> Deposits() const;

    enum class Outcome {
        NoCode,   // told: the code box is where to go
        NoDeposit,   // told: the deposit chooser is where to go
        Created,   // the article was stored: the code box is emptied
        NotCreated,   // the editor was cancelled, or the code is too long (told)
        AlreadyThere,   // told: the code box is emptied
        Failed   // reported
    };
    struct Result {
        Outcome outcome = Outcome::Failed;
        qint64 article = 0;   // the new article, or the one already there
        bool clearCode() const { return outcome == Outcome::Created || outcome == Outcome::AlreadyThere; }
    };
    // The code typed or scanned (cut by the barcode layouts when one applies, blanks around
    // removed) added to the deposit of that key (0: none chosen).
    Result Add(const QString& codeText, qint64 deposit);

private:
    Result add(const QString& codeText, qint64 deposit);

    Database& m_db;
    ImportOperator& m_op;
};
