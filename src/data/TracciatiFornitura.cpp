#include "TracciatiFornitura.h"
#include "base/AppError.h"
#include "core/configuration/DefaultScripts.h"

namespace {
const char* const kCodiceAggiuntivoNote = "Da impostare nello script in relazione al codice del fornitore";

// The filters this program gave layouts before the additional code existed: the new-layout
// template and the full template without its additional-code lines.
bool isOlderShippedFilter(const QString& filter)
{
    QString withoutAdditionalCode = FullLayoutFilterTemplate();
    withoutAdditionalCode.remove(
        QStringLiteral("  ' Imposta il codice aggiuntivo\r\n"
                       "  Flds(\"CodiceAggiuntivo\").Value = Flds(\"CodiceFornitore\").Value\r\n"
                       "\r\n"));
    return filter == NewLayoutFilterTemplate() || filter == withoutAdditionalCode;
}
}

void TracciatiFornitura::DefineIdentity(TableIdentity& identity)
{
    identity.CopyKey = {"FileSorgente"};
    identity.Caption = "Tracciato Fornitura";
    identity.Version = 1.5;
}

void TracciatiFornitura::DefineStructure(FieldDefinitions& fields, IndexDefinitions&, ReferenceDefinitions& refs)
{
    addField(fields, "FileSorgente", FieldType::FilePath, 255);
    addField(fields, "Note", FieldType::Text, 128);
    addField(fields, "VBFilter", FieldType::LongText);
    addField(fields, "ConversioneValuta", FieldType::Boolean);
    addField(fields, "CoefficienteValuta", FieldType::Number);

    refs.AddReference("Campi", "CampiTracciato", true, false, "NomeCampo", "Note,Posizione,Lunghezza");
    refs.AddReference("Selezioni", "SelezioniTracciato", true, false, "Contenuto", "Note,Posizione,Escludi,Contenuto");
}

void TracciatiFornitura::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool& isNew)
{
    if (isNew) {
        addDefaultLayout(td);
    } else if (oldVersion < 1.3 && td.RowCount() > 0) {
        // The full template and the field it fills belong together. A layout whose filter the
        // user has rewritten keeps both as they are: the user's script is never overwritten.
        td.MoveLast();
        if (isOlderShippedFilter(td.GetValue("VBFilter").toString())) {
            td.SetValue("VBFilter", FullLayoutFilterTemplate());
            td.Update();
            auto campi = td.GetReference("Campi");
            addLayoutField(td, *campi,
                           {"NomeCampo", "CodiceAggiuntivo", "Posizione", qint64(0), "Lunghezza", qint64(32), "Note",
                            kCodiceAggiuntivoNote});
        }
    }
    if (oldVersion < 1.4) execute(td, "UPDATE TracciatiFornitura SET ConversioneValuta=False");
    if (oldVersion < 1.5) execute(td, "UPDATE TracciatiFornitura SET CoefficienteValuta=0");
}

void TracciatiFornitura::OnNewRow(TableData& td)
{
    td.SetValue("Note", QString(""));
    td.SetValue("VBFilter", NewLayoutFilterTemplate());
    td.SetValue("ConversioneValuta", false);
    td.SetValue("CoefficienteValuta", 0);
}

void TracciatiFornitura::addDefaultLayout(TableData& td)
{
    const qint64 layout = td.AddRow({"FileSorgente", "A:\\FORNITORE.TXT", "Note",
                                     "Tracciato fornitura FORNITORE (NUOVO)", "VBFilter", FullLayoutFilterTemplate()});
    // The fields belong to the layout just added, never to the row the data set stood on.
    if (!td.MoveToOID(layout))
        throw AppError::object(AppError::kGenericCode, QStringLiteral("TracciatiFornitura"),
                               QStringLiteral("Tracciato predefinito non trovato dopo l'inserimento"));
    auto campi = td.GetReference("Campi");

    const QVariant yes(true);
    const QList<QVariantList> kFields = {
        {"NomeCampo", "Codice", "Posizione", 14, "Lunghezza", 13, "Note", "Codice a barre"},
        {"NomeCampo", "Descrizione", "Posizione", 27, "Lunghezza", 30, "Note", "Descrizione dell'articolo"},
        {"NomeCampo", "ValoreCarico", "Posizione", 110, "Lunghezza", 6, "CampoNumerico", yes, "Note",
         "Quantita' di carico"},
        {"NomeCampo", "PrezzoVendita", "Posizione", 59, "Lunghezza", 8, "CampoImporto", yes, "RilevaDifferenze", yes,
         "ValoreMaxDifferenza", 100, "Note", "Prezzo di vendita"},
        {"NomeCampo", "PrezzoAcquisto", "Posizione", 77, "Lunghezza", 8, "CampoImporto", yes, "Note",
         "Prezzo di acquisto"},
        {"NomeCampo", "Iva", "Posizione", 75, "Lunghezza", 2, "Note", "Aliquota IVA"},
        {"NomeCampo", "PrezzoKgLt", "Posizione", 90, "Lunghezza", 8, "CampoImporto", yes, "Note", "Prezzo al Kg/Lt"},
        {"NomeCampo", "ConfezionePeso", "Posizione", 89, "Lunghezza", 1, "Note", "'C' Confezionato, 'P' Pesato"},
        {"NomeCampo", "PezziConfezione", "Posizione", 125, "Lunghezza", 4, "CampoNumerico", yes, "Note",
         "Pezzi per confezione"},
        {"NomeCampo", "Pezzatura", "Posizione", 57, "Lunghezza", 2, "Note", "Pezzatura"},
        {"NomeCampo", "CodiceFornitore", "Posizione", 1, "Lunghezza", 6, "Note", "Codice interno del fornitore"},
        {"NomeCampo", "Gruppo", "Posizione", 85, "Lunghezza", 2, "Note", "Gruppo merceologico"},
        {"NomeCampo", "SottoGruppo", "Posizione", 87, "Lunghezza", 2, "Note", "Sotto gruppo merceologico"},
        {"NomeCampo", "Reparto", "Posizione", 116, "Lunghezza", 2, "Note", "Codice reparto"},
        {"NomeCampo", "NumeroFattura", "Posizione", 98, "Lunghezza", 6, "Note", "Numero Fattura"},
        {"NomeCampo", "DataFattura", "Posizione", 104, "Lunghezza", 6, "Note", "Data Fattura"},
        {"NomeCampo", "TipoRecord", "Posizione", 120, "Lunghezza", 1, "Note", "Tipo del record da importare"},
        {"NomeCampo", "UnitaMisura", "Posizione", 0, "Lunghezza", 16, "Note",
         "Da impostare nello script in relazione a ConfezionePeso"},
        {"NomeCampo", "CodiceIva", "Posizione", 0, "Lunghezza", 16, "Note",
         "Da impostare nello script in relazione a Iva"},
        {"NomeCampo", "CodiceAggiuntivo", "Posizione", 0, "Lunghezza", 32, "Note", kCodiceAggiuntivoNote},
    };
    for (const QVariantList& field : kFields) addLayoutField(td, *campi, field);
}

void TracciatiFornitura::addLayoutField(TableData& layouts, TableData& campi, const QVariantList& fieldValuePairs)
{
    const qint64 field = campi.AddRow(fieldValuePairs);
    layouts.SetReferenceOID("Campi", field);
}
