#pragma once
// The two print commands of the main window's "&Stampa" menu that run the user's scripts:
// price labels for the articles chosen in the articles view, or one label per delivered
// piece of every article of the supply chosen in the supplies view; and the printed receipt
// record of a sale, again. Which rows, how many copies, in which order, with which settings,
// and what the operator is asked and told is decided here; the layout is the user's script.
#include <QList>
#include <functional>
#include <memory>

class PrintProgress;
class PrintTarget;
class TableData;

class LabelPrinting {
public:
    // Where the print objects draw: by default the printers named in the label and receipt
    // settings; a given target (a recording, a PDF file) takes their place.
    using TargetSource = std::function<std::shared_ptr<PrintTarget>()>;
    using ProgressSource = std::function<std::unique_ptr<PrintProgress>()>;
    explicit LabelPrinting(TargetSource target = {}, ProgressSource progress = {});

    // "S&tampa Etichette" on the view `shown`. On the supplies view: for the supply that is
    // the current row, as many labels of each of its articles as were delivered (the load
    // quantity, rounded to whole pieces), after the operator confirms. On the articles view:
    // one label for each row of `selection` (OIDs, in the grid's selection order), or for the
    // current row when nothing is selected. Other views print nothing. The view's current
    // row is the same afterwards.
    void mnuPrintLabel_Click(TableData* shown, const QList<qint64>& selection);

    // "Rist&ampa ricevuta" on the sales or receipts view: the receipt record of the current
    // sale (or the current receipt record) printed again, with a retry offer when it fails.
    void mnuFiscalPrint_Ricevuta_Click(TableData* shown);

private:
    void printSupply(TableData& supply);
    void printArticles(TableData& articles, QList<qint64> selection);

    TargetSource m_target;
    ProgressSource m_progress;
};
