#include "DefaultScripts.h"

#include <QStringList>

namespace {

// Every line followed by CR LF.
QString crlfLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return text;
}

QString ticketFunction(const QString& header, const QStringList& comments, const QString& name)
{
    QStringList lines {header};
    lines += comments;
    lines += QStringLiteral("  %1 = True").arg(name);
    lines += QStringLiteral("End Function");
    lines += QString();
    return crlfLines(lines);
}

// What the three receipt functions say alike about the print object.
QStringList ticketObjectHelp()
{
    return {
        QStringLiteral("  ' Metodi di disegno dell'oggetto <prn>:"),
        QStringLiteral("  '   prn.BoxOut nPosY, nPosX, nAltezza, nLarghezza  disegna un rettangolo"),
        QStringLiteral("  '   prn.TxtOut nPosY, nPosX, sTesto  stampa un testo"),
        QStringLiteral("  '   prn.SetFont nDimensione, bGrassetto, bCorsivo, sNomeFont  imposta il carattere"),
        QStringLiteral("  ' Variabili conservate tra una chiamata e l'altra:"),
        QStringLiteral(
            "  '   prn.Vars(\"Nome\"), prn.Nums(\"Nome\"), prn.Strs(\"Nome\")  legge o imposta una variabile"),
        QStringLiteral("  '   prn.VarsCount  numero delle variabili impostate"),
        QStringLiteral("  '   prn.ResetVars  cancella tutte le variabili"),
        QStringLiteral("  ' Posizioni e dimensioni sono espresse in millimetri."),
    };
}

}   // namespace

QString DefaultLabelScript()
{
    QString text = crlfLines({
        QStringLiteral("Function PrintLabel(flds, prn)"),
        QStringLiteral("  ' Composizione di una etichetta con i campi dell'articolo"),
        QStringLiteral("  ' In <flds> ci sono i campi dell'articolo, in <prn> l'oggetto di stampa."),
        QStringLiteral("  ' Metodi di disegno dell'oggetto <prn>:"),
        QStringLiteral("  '   prn.BoxOut nPosY, nPosX, nAltezza, nLarghezza  disegna un rettangolo"),
        QStringLiteral("  '   prn.TxtOut nPosY, nPosX, sTesto  stampa un testo"),
        QStringLiteral("  '   prn.SetFont nDimensione, bGrassetto, bCorsivo, sNomeFont  imposta il carattere"),
        QStringLiteral("  ' Posizioni e dimensioni sono espresse in millimetri."),
        QStringLiteral("  ' Riportare False per annullare la stampa."),
        QString(),
        QStringLiteral("  prn.SetFont 13, True, False, \"MS San Serif\""),
        QStringLiteral("  prn.TxtOut 0, 0, flds(\"Descrizione\")"),
        QString(),
        QStringLiteral("  prn.SetFont 14, True, True, \"Courier New\""),
        QStringLiteral("  prn.TxtOut 7, 0, \"Lire\""),
        QStringLiteral("  prn.TxtOut 7, 16, FormatNumber(flds(\"PrezzoVendita\") * 1936.27, 0, , , vbTrue)"),
        QString(),
        QStringLiteral("  prn.SetFont 14, True, False, \"Courier New\""),
        QStringLiteral("  prn.TxtOut 16, 0, \"Euro\""),
        QStringLiteral("  prn.SetFont 28, True, False, \"Courier New\""),
        QStringLiteral("  prn.TxtOut 12, 16, FormatNumber(flds(\"PrezzoVendita\"), 2, , , vbTrue)"),
        QString(),
        QStringLiteral("  prn.SetFont 9, True, False, \"Courier New\""),
        QStringLiteral("  prn.TxtOut 25, 0, flds(\"CodiceAggiuntivo\")"),
        QStringLiteral("  prn.TxtOut 25, 22, flds(\"Codice\")"),
        QString(),
        QStringLiteral("  If flds(\"Cod_UnitaMisura\") = \"KgPzz\" Then"),
        QStringLiteral("    prn.SetFont 14, True, True, \"Arial\""),
        QStringLiteral("    prn.TxtOut 11, 56, \"al Kg\""),
        QStringLiteral("  End If"),
        QString(),
        QStringLiteral("  PrintLabel = True"),
    });
    text += QStringLiteral("End Function");
    return text;
}

static QString ticketMaskFunction()
{
    QStringList help {
        QStringLiteral("  ' Composizione della maschera della ricevuta (intestazione, cliente, totali)"),
        QStringLiteral("  ' In <flds> ci sono i campi della vendita, in <fldsCliente> quelli del cliente,"),
        QStringLiteral("  ' in <fldsRivevuta> quelli della ricevuta, in <prn> l'oggetto di stampa;"),
        QStringLiteral("  ' <bTotal> vale True sull'ultimo tagliando della ricevuta."),
    };
    help += ticketObjectHelp();
    help += {
        QStringLiteral("  ' Le posizioni sono relative alla ricevuta corrente."),
        QStringLiteral("  ' prn.TicketCount riporta il numero della pagina (la prima pagina e' 0)."),
        QStringLiteral("  ' Riportare False per annullare la stampa."),
    };
    return ticketFunction(QStringLiteral("Function PrintTicketMask(flds, fldsCliente, fldsRivevuta, prn, bTotal)"),
                          help, QStringLiteral("PrintTicketMask"));
}

static QString ticketRowFunction()
{
    QStringList help {
        QStringLiteral("  ' Composizione di una riga della ricevuta"),
        QStringLiteral("  ' In <flds> ci sono i campi della riga, in <prn> l'oggetto di stampa,"),
        QStringLiteral("  ' in <nRow> il numero della riga in stampa."),
    };
    help += ticketObjectHelp();
    help += {
        QStringLiteral("  ' Le posizioni sono relative alla riga corrente nell'area delle righe."),
        QStringLiteral("  ' Riportare False per annullare la stampa."),
    };
    return ticketFunction(QStringLiteral("Function PrintTicketRow(flds, prn, nRow)"), help,
                          QStringLiteral("PrintTicketRow"));
}

QString DefaultTicketInfoFunction()
{
    QStringList help {
        QStringLiteral("  ' Composizione di una riga di informazioni della ricevuta"),
        QStringLiteral("  ' In <sInfo> c'e' il testo della riga, in <prn> l'oggetto di stampa,"),
        QStringLiteral("  ' in <nRow> il numero della riga in stampa."),
    };
    help += ticketObjectHelp();
    help += {
        QStringLiteral("  ' Le posizioni sono relative alla riga corrente nell'area delle righe."),
        QStringLiteral("  ' Riportare False per annullare la stampa."),
    };
    return ticketFunction(QStringLiteral("Function PrintTicketInfo(sInfo, prn, nRow)"), help,
                          QStringLiteral("PrintTicketInfo"));
}

QString DefaultTicketScript() { return ticketMaskFunction() + ticketRowFunction() + DefaultTicketInfoFunction(); }

static QString codeFilter(const QString& name, const QString& what)
{
    return crlfLines({
        QStringLiteral("Function %1( sOriginalCode )").arg(name),
        QStringLiteral("  ' Composizione del codice per il filtro sui %1").arg(what),
        QStringLiteral("  ' usando VBScript"),
        QStringLiteral("  ' In <sOriginalCode> c'\u00E8 il codice originale, riportare"),
        QStringLiteral("  ' il codice impostando <%1>.").arg(name),
        QStringLiteral("  ' Impostare %1 = \"\" per annullare il codice.").arg(name),
        QStringLiteral("  %1 = sOriginalCode").arg(name),
        QString(),
        QStringLiteral("  ' Ignora i codici che iniziano con caratteri inferiori alla spazio"),
        QStringLiteral("  If Len(sOriginalCode) > 0 Then"),
        QStringLiteral("    If Asc(Right(sOriginalCode,1))<32 Then"),
        QStringLiteral("      %1 = \"\"  ' Annulla il codice").arg(name),
        QStringLiteral("    End If"),
        QStringLiteral("  End If"),
        QStringLiteral("End function"),
    });
}

QString DefaultBarCodeFilterScript()
{
    return codeFilter(QStringLiteral("BarCodeFilter"), QStringLiteral("codici a barre"));
}

QString DefaultCodeFilterScript() { return codeFilter(QStringLiteral("CodeFilter"), QStringLiteral("codici")); }

// The nine lines both row-filter templates begin with.
static QStringList filterHead()
{
    return {
        QStringLiteral("Function FilterRow( Flds )"),
        QStringLiteral("  ' Modifica i campi della collection Flds() (ADODB.Fields)"),
        QStringLiteral("  ' con VBScript, questa funzione viene richiamata"),
        QStringLiteral("  ' per ogni record da importare."),
        QStringLiteral("  ' Riportare False per ignorare il record"),
        QString(),
        QStringLiteral("  ' Tutte le quantita' vanno divise per 100"),
        QStringLiteral("  Flds(\"ValoreCarico\").Value = Flds(\"ValoreCarico\").Value / 100"),
        QString(),
    };
}

QString NewLayoutFilterTemplate()
{
    QStringList lines = filterHead();
    lines += {
        QStringLiteral("  FilterRow = True"),
        QStringLiteral("End function"),
    };
    return crlfLines(lines);
}

QString FullLayoutFilterTemplate()
{
    QStringList lines = filterHead();
    lines += {
        QStringLiteral("  ' Controllo per Unit\u00E0 di misura Confezione/Peso"),
        QStringLiteral("  Flds(\"UnitaMisura\").Value = \"QntPzz\""),
        QStringLiteral("  If Flds(\"ConfezionePeso\").Value = \"P\" Then"),
        QStringLiteral("       Flds(\"UnitaMisura\").Value = \"KgPzz\""),
        QStringLiteral("  End If"),
        QString(),
        QStringLiteral("  ' Imposta l'Iva per il codice"),
        QStringLiteral("  Flds(\"CodiceIva\").Value = \"IVA\" & Flds(\"Iva\").Value"),
        QString(),
        QStringLiteral("  ' Imposta il codice aggiuntivo"),
        QStringLiteral("  Flds(\"CodiceAggiuntivo\").Value = Flds(\"CodiceFornitore\").Value"),
        QString(),
        QStringLiteral("  FilterRow = True"),
        QStringLiteral("End function"),
    };
    return crlfLines(lines);
}
