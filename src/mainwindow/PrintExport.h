#pragma once
// The main window's print and export commands on the shown view: the report of its rows
// (preview, direct print, export) through the report display, the library's data export,
// and the rows as an HTML page in the browser ("TableData.htm" in the data folder). What
// leaves the program is what the operator may see: the fields hidden at his access level
// never reach the page, and every value is written as text, never as markup.
#include <QPointer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;
class TableData;

class PrintExport {
public:
    struct Hooks {
        std::function<TableData*()> dataSet;   // the shown data set; null when none is
        std::function<bool()> gridShown;   // the grid is on show
        std::function<QString()> nodeKey;   // the selected tree node's key
        // Holds the shown rows while they are printed or written (DetailViewPanel::HoldView).
        std::function<std::shared_ptr<void>()> hold;
    };
    PrintExport(QWidget* owner, Hooks hooks);

    // "&Anteprima" (1), "Stampa &diretta" (0), "&Esporta stampa" (2).
    void Report(int16_t mode);
    // "&Esporta dati...": the library's export of the shown rows.
    void SaveData();
    // "&Web Browser...": the shown rows in the browser, every field.
    void WebBrowser();

    // The page's file: "TableData.htm" in the data folder.
    static QString HtmlFile();
    // The fields of a page: those of `fieldOrder` (comma list; empty: every field) that the
    // operator may see, in that order; never a field hidden at his level or a list.
    static QStringList VisibleFields(const TableData& ds, const QString& fieldOrder);
    // Writes the rows of `ds` as the page (the field order asked for first, when the operator
    // wants to change it) and opens it. Also what the report display calls for rows without
    // a report layout.
    static void ExportTableToHtml(TableData* ds, QWidget* owner, QString fieldOrder);

private:
    QPointer<QWidget> m_owner;
    Hooks m_hooks;
};
