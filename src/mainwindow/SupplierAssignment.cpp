#include "SupplierAssignment.h"
#include "objdb/Database.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include <QList>

namespace {
QString withoutTrailingBlanks(QString text)
{
    while (!text.isEmpty() && text.back() == u' ') text.chop(1);
    return text;
}

const QString kDescription = QStringLiteral("Descrizione");
const QString kSuppliers = QStringLiteral("Fornitori");
const int kWarning = int(Msg::YesNo) + int(Msg::Exclamation) + int(Msg::DefaultButton2);
}   // namespace

SupplierAssignment::Worked SupplierAssignment::WorkDescription(const QString& description, const QString& symbols)
{
    Worked w {withoutTrailingBlanks(description), 0};
    for (qsizetype i = w.text.size() - 1; i >= 0; --i) {
        const QChar c = w.text.at(i);
        if (c == u' ') break;
        const qsizetype k = symbols.indexOf(c, 0, Qt::CaseSensitive);
        if (k < 0) continue;
        w.position = int(k) + 1;
        w.text[i] = u' ';
    }
    return w;
}

int SupplierAssignment::Run(Database& db, const ChooseSupplier& choose, const ShowProgress& progress)
{
    if (ui().msgBox(
            QStringLiteral("ATTENZIONE! - Questa operazione imposta i fornitori sugli articoli in base ai caratteri "
                           "presenti nella descrizione...\r\rContinuare ?\r\r"),
            kWarning, QString::fromLatin1(kTitle))
        != Msg::Yes)
        return 0;

    std::unique_ptr<TableData> articles = db.Tables().Item(QStringLiteral("Articoli"))->Select();
    std::unique_ptr<TableData> suppliers = db.Tables().Item(kSuppliers)->Select();

    QString symbols;
    QList<qint64> keys;
    QString summary;
    while (keys.size() < kMaxSymbols) {
        const std::optional<QString> answer
            = ui().inputBox(QStringLiteral("Simbolo da assegnare al prossimo fornitore"), AppTitle(), QString());
        if (!answer || answer->isEmpty()) break;
        // A marker is one character, used once: anything else would pair the markers after it
        // with the wrong suppliers.
        if (answer->size() != 1 || symbols.contains(*answer, Qt::CaseSensitive)) {
            ui().msgBox(QStringLiteral("Il simbolo deve essere un solo carattere non ancora assegnato"),
                        Msg::Exclamation, AppTitle());
            continue;
        }
        if (!choose || !choose(*suppliers)) continue;
        symbols += *answer;
        keys << suppliers->GetOID();
        summary += *answer + QStringLiteral(" = ") + suppliers->GetText(kDescription) + u'\r';
    }
    if (keys.isEmpty()) return 0;
    if (ui().msgBox(summary + QStringLiteral("\rContinuare con la conversione ?"), kWarning, AppTitle()) != Msg::Yes)
        return 0;

    int changed = 0;
    const qint64 count = articles->RowCount();
    qint64 done = 0;
    for (articles->MoveFirst(); !articles->IsEOF(); articles->MoveNext()) {
        const QString stored = articles->GetValue(kDescription).toString();
        const Worked w = WorkDescription(stored, symbols);
        bool touched = false;
        if (w.position > 0) {
            const qint64 supplier = keys.at(w.position - 1);
            std::unique_ptr<TableData> current = articles->GetReference(kSuppliers);
            if (!current->MoveToOID(supplier)) {
                articles->SetReferenceOID(kSuppliers, supplier);
                touched = true;
            }
        }
        if (stored != w.text) {
            articles->SetValue(kDescription, withoutTrailingBlanks(w.text));
            articles->Update();
            touched = true;
        }
        if (touched) ++changed;
        ++done;
        if (progress) progress(QString::number(done) + u'/' + QString::number(count));
    }
    return changed;
}
