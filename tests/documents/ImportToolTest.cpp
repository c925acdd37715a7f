// `mvtool import-dump`: the read table of a delivery file, printed as the developer runs it.
#include "core/configuration/DefaultScripts.h"
#include "ImportShop.h"
#include "MvtoolRun.h"

#ifdef MV_MVTOOL_EXE
namespace {

class ImportTool : public ImportShop { };

TEST_F(ImportTool, PrintsTheKeptRecordsAsTheImportReadsThem)
{
    const QList<LayoutColumn> fields = {{"Codice", 2, 6},
                                        {"Descrizione", 8, 10},
                                        {"ValoreCarico", 18, 5, 'N'},
                                        {"PrezzoAcquisto", 23, 6, 'A'},
                                        {"Peso", 29, 6, 'N'}};
    const qint64 layout = addLayout(fields, NewLayoutFilterTemplate(), {{1, "D", false}}, false, 100);
    //                          1 2     8         18   23    29
    const QString file = writeFile(
        {"DA00001MELE      01000  1250 12,50", "T     2TOTALE    00000 99999 99,99", "DA00002PERE      00250   900"});
    closeDatabase();

    const ToolRun r = mvtool({"import-dump", path(), QString::number(layout), file});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out,
              "Codice\tDescrizione\tValoreCarico\tPrezzoAcquisto\tPeso\n"
              "A00001\tMELE\t10\t12.5\t12.5\n"
              "A00002\tPERE\t2.5\t9\t\n"
              "2 Records\n");
}

TEST_F(ImportTool, ReportsAFailureWithTheRecordAndTheScriptLine)
{
    const QString filter = QStringLiteral("Function FilterRow(Flds)\r\n  Dim n\r\n  n = 1 / Flds(\"ValoreCarico\")\r\n"
                                          "  FilterRow = True\r\nEnd Function\r\n");
    const QList<LayoutColumn> fields = {{"Codice", 1, 6}, {"ValoreCarico", 7, 3, 'N'}};
    addLayout(fields, filter, {}, false, 0, dir + "/consegna.txt");
    writeFile({"A00001  5", "A00002  0"}, "consegna.txt");
    closeDatabase();

    const ToolRun r = mvtool({"import-dump", path(), dir + "/consegna.txt", dir + "/consegna.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Errore in importazione dati: \n\nDivisione per zero\n\nRecord: 2\nLinea VB: 3\n");
}

}   // namespace
#endif
