#pragma once
// The report nodes of the section tree and the tables whose view is not the plain table:
// for a node key, the table, select list, condition, sort and title of its view, after the
// questions some entries ask (a supplier, a date, a period). Then the view's date field and
// the print commands it enables, from its table.
#include "ViewQuery.h"
#include <QDate>
#include <QString>
#include <QStringList>

class Database;
class DateSelection;
class ViewDialogs;

class ReportCatalogue {
public:
    struct Context {
        Database& db;
        ViewDialogs& dialogs;
        const DateSelection& dates;   // its day is where the date question starts
        QDate today;   // the paid/unpaid supplies start on its month
    };

    // The captions of the reports the catalogue builds a view for.
    static QStringList ReportKeys();
    static bool IsReport(const QString& key);   // exact comparison: case and blanks count

    // Sets Table, Fields, Where, Sort and, where the entry has them, the title and
    // status texts of `q` for the node `key`; a key that is no entry is a table name. Then
    // the date field and the print commands. `q.Title` must hold the title's standing text.
    static void Fill(const QString& key, Context& context, ViewQuery& q);
    // The date field and print commands alone, for a view of `table` opened from node `key`.
    static void ApplyTableEffects(const QString& key, ViewQuery& q);

    // --- the computed columns ------------------------------------------------------------------
    // Cost of a sold line: purchase price, the VAT inside the selling price, and the share
    // kept back on variable-price articles.
    static QString SoldCost();
    static QString SoldProfit();
    static QString StockValue();
    static QString StockCost();
    static QString StockProfit();
    static QString StockTaxable();
    static QString StockVat();
    // The quantities loaded and unloaded from `from` on, per article, named ValoreCarico and
    // ValoreScarico; `loadLink`/`unloadLink`: the parent-link columns of the two line tables.
    static QString LoadsFrom(const QString& loadLink, const QDate& from);
    static QString UnloadsFrom(const QString& unloadLink, const QDate& from);
    // Today's stock less what was loaded, plus what was unloaded, from the day after the
    // chosen date on: the stock at the end of that date, as ValoreScortaAllaData and, in the
    // place of today's stock, as ValoreScorta (what the stock reports print as the quantity).
    static QString StockAtDate();
    static QString StockNow();
    // Taxable amount and VAT of the stock at the date.
    static QString DateTaxable();
    static QString DateVat();
};
