#include "ReminderEngine.h"
#include "base/AppError.h"
#include "base/Clock.h"
#include "objdb/Database.h"
#include "core/lifecycle/ErrorReporting.h"
#include "data/ImpostazioniPromemoria.h"
#include "core/seams/MainWindowServices.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include <algorithm>

namespace {

const QString kRules = QStringLiteral("ImpostazioniPromemoria");
const QString kReminders = QStringLiteral("Promemoria");
constexpr qint64 kMinutesPerDay = 1440;
constexpr int kPurgeExtraDays = 15;

std::unique_ptr<TableData> open(Database& db, const QString& table, const QString& filter = QString(),
                                const QString& order = QString())
{
    return db.Tables().Item(table)->Select(filter, order);
}

void reportMissing(const QString& table)
{
    ShowErrorDetails(
        AppError::object(AppError::kGenericCode, AppTitle(),
                         QStringLiteral("Timer Attivazione promemoria: \rTabella ") + table
                             + QStringLiteral(" inesistente.\r\rPer attivare la gestione dei messaggi di notifica "
                                              "è necessario abilitare sia la tabella 'ImpostazioniPrmemoria' che "
                                              "la tabella 'Promemoria'")),
        QString());
}

// The origin of a reminder: its table, date field and the source row's key.
QString originCondition(const TableData& reminders, const QString& table, const QString& field, const QString& key)
{
    return reminders.BuildCondition(QStringLiteral("NomeTabellaOrigine"), table) + QStringLiteral(" AND ")
        + reminders.BuildCondition(QStringLiteral("NomeCampoDataOrigine"), field) + QStringLiteral(" AND ")
        + reminders.BuildCondition(QStringLiteral("IDElementoOrigine"), key);
}

}   // namespace

ReminderEngine::ScanWindow ReminderEngine::Window(qint64 noticeMinutes, const std::optional<QDateTime>& lastCheck,
                                                  const QDateTime& now)
{
    const QDateTime upper = now.addSecs(noticeMinutes * 60);
    if (!lastCheck) return {now.addSecs(-noticeMinutes * 60), upper};
    const QDateTime earliest = now.addSecs(-std::max(noticeMinutes, kMinutesPerDay) * 60);
    return {std::max(*lastCheck, earliest), upper};
}

QString ReminderEngine::ExpandMessageTemplate(TableData& source, const QString& messageTemplate)
{
    QString expanded;
    QString rest = messageTemplate;
    for (;;) {
        QString field;
        QString after;
        switch (Split_CampoMessaggio(rest, field, after)) {
        case PlaceholderSplit::None: return expanded + rest;
        case PlaceholderSplit::Malformed:
            source.ShowMessage(
                1, QStringLiteral("Messaggio non corretto.\rImpossibile determinare il nome del campo della tabella"));
            return QString();
        case PlaceholderSplit::Found: break;
        }
        expanded += rest.left(rest.indexOf(QLatin1String("<%")));
        expanded
            += source.HasField(field) ? source.GetText(field) : QStringLiteral("# Non identificato: ") + field + u'#';
        rest = after;
    }
}

bool ReminderEngine::InitReminders(Database& db)
{
    if (m_tablesChecked) return true;
    bool ok = true;
    for (const QString& table : {kRules, kReminders}) {
        if (db.Tables().Contains(table)) continue;
        ok = false;
        reportMissing(table);
    }
    // Without both tables there is nothing to purge; the caller stops the timer.
    if (ok) {
        const qint64 days
            = open(db, kRules)->Aggregate(QStringLiteral("GiorniDiPreavviso"), 2).toLongLong() + kPurgeExtraDays;
        const QDateTime limit = appClock().now().addDays(-days);
        auto old = open(db, kReminders, QStringLiteral("Chiuso AND DataRiferimento <= ") + db.FormatDateLiteral(limit));
        if (!old->IsEmpty()) {
            (void)old->DeleteRows();   // nothing stops it
            if (MainWindowServices* mw = mainWindowServices()) mw->RefreshDetailView();
        }
    }
    m_tablesChecked = true;
    return ok;
}

ReminderEngine::RunResult ReminderEngine::Run(Database* db, bool all, ReminderWindowPort* window)
{
    RunResult result;
    if (!db) return result;
    try {
        if (!InitReminders(*db)) {
            m_timerEnabled = false;
            return result;
        }
        const QDateTime now = appClock().now();
        bool fresh = false;
        {
            auto rules = open(*db, kRules);
            auto reminders = open(*db, kReminders, QString(), QStringLiteral("DataProssimaNotifica DESC"));
            const int textSize = reminders->GetFieldInfo(QStringLiteral("TestoPromemoria")).Size;
            for (rules->MoveFirst(); !rules->IsEOF(); rules->MoveNext()) {
                const QString table = rules->GetText(QStringLiteral("NomeTabella"));
                const QString field = rules->GetText(QStringLiteral("NomeCampoData"));
                const QString message = rules->GetText(QStringLiteral("MessaggioDiNotifica"));
                const qint64 notice
                    = rules->GetFieldValue(QStringLiteral("GiorniDiPreavviso")).toLongLong() * kMinutesPerDay
                    + rules->GetFieldValue(QStringLiteral("OreDiPreavviso")).toLongLong() * 60
                    + rules->GetFieldValue(QStringLiteral("MinutiDiPreavviso")).toLongLong();
                std::optional<QDateTime> lastCheck;
                if (!rules->IsFieldEmpty(QStringLiteral("DataUltimoControllo")))
                    lastCheck = rules->GetValue(QStringLiteral("DataUltimoControllo")).toDateTime();
                const ScanWindow w = Window(notice, lastCheck, now);
                QDateTime reached = w.lower;
                auto rows
                    = open(*db, table,
                           db->FormatDateLiteral(w.upper) + QStringLiteral(" >= ") + field + QStringLiteral(" AND ")
                               + field + QStringLiteral(" >= ") + db->FormatDateLiteral(w.lower),
                           field);
                for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext()) {
                    reached = rows->GetValue(field).toDateTime();
                    QString text = ExpandMessageTemplate(*rows, message);
                    const QString key = rows->GetKeyText();
                    if (!open(*db, kReminders, originCondition(*reminders, table, field, key))->IsEmpty()) continue;
                    // A long expansion is cut to what the reminder can hold, rather than refused every minute.
                    if (textSize > 0 && text.size() > textSize) text.truncate(textSize);
                    reminders->AddRow({QStringLiteral("TestoPromemoria"), text, QStringLiteral("NomeTabellaOrigine"),
                                       table, QStringLiteral("NomeCampoDataOrigine"), field,
                                       QStringLiteral("IDElementoOrigine"), key, QStringLiteral("DataProssimaNotifica"),
                                       now, QStringLiteral("DataRiferimento"), rows->GetValue(field)});
                    ++result.created;
                    fresh = true;
                }
                rules->SetValue(QStringLiteral("DataUltimoControllo"), reached);
                rules->Update();
            }
        }

        QString filter = QStringLiteral("Chiuso = False");
        if (!all) filter += QStringLiteral(" AND DataProssimaNotifica <= ") + db->FormatDateLiteral(now);
        auto due = open(*db, kReminders, filter);
        const size_t before = m_entries.size();
        m_entries.clear();
        for (due->MoveFirst(); !due->IsEOF(); due->MoveNext())
            m_entries.push_back({due->GetOID(),
                                 due->GetText(QStringLiteral("DataProssimaNotifica")) + QStringLiteral(" - ")
                                     + due->GetText(QStringLiteral("TestoPromemoria"))});
        due.reset();
        if (m_entries.size() > before) fresh = true;
        result.ran = true;

        if (fresh) {
            result.announced = true;
            ui().beep();
            if (window) {
                window->ShowSign();
                if (!window->IsShown()
                    && ui().msgBox(QStringLiteral("NUOVO PROMEMORIA...\r\rVuoi visualizzare i promemoria ?"),
                                   int(Msg::YesNo) + Msg::Question + Msg::DefaultButton2, QString())
                        == Msg::Yes
                    && !window->ShowWindow())
                    ui().msgBox(QStringLiteral("Lo stato corrente non permette la visualizzazione dei promemoria.\r\r"
                                               "Uscire dalle finestre e riprovare..."),
                                int(Msg::OKOnly) + Msg::Information, QString());
            }
        }
    } catch (...) {
        ShowErrorDetails(CurrentError(), QString());
        result.ran = false;
    }
    return result;
}

const std::vector<std::pair<QString, int>>& ReminderEngine::Intervals()
{
    static const std::vector<std::pair<QString, int>> intervals = {
        {QStringLiteral("15 minuti"), 15},      {QStringLiteral("30 minuti"), 30},  {QStringLiteral("1 ora"), 60},
        {QStringLiteral("2 ore"), 120},         {QStringLiteral("4 ore"), 240},     {QStringLiteral("8 ore"), 480},
        {QStringLiteral("1 giorno"), 1440},     {QStringLiteral("2 giorni"), 2880}, {QStringLiteral("4 giorni"), 5760},
        {QStringLiteral("1 settimana"), 10080},
    };
    return intervals;
}

std::optional<int> ReminderEngine::IntervalMinutes(const QString& text)
{
    for (const auto& [name, minutes] : Intervals())
        if (name == text) return minutes;
    return std::nullopt;
}

bool ReminderEngine::CloseReminders(Database& db, const std::vector<ReminderEntry>& selected)
{
    if (selected.empty()) {
        ui().msgBox(QStringLiteral("Devi selezionare almeno un elemento da eliminare..."),
                    int(Msg::OKOnly) + Msg::Information, QString());
        return false;
    }
    auto reminders = open(db, kReminders);
    for (const ReminderEntry& e : selected) {
        if (!reminders->MoveToOID(e.key)) continue;
        reminders->SetValue(QStringLiteral("Chiuso"), true);
        reminders->Update();
    }
    return true;
}

ReminderEngine::Postponed ReminderEngine::Postpone(Database& db, const std::vector<ReminderEntry>& selected,
                                                   const QString& interval)
{
    if (selected.empty()) {
        ui().msgBox(QStringLiteral("Devi selezionare almeno un elemento da posporre..."),
                    int(Msg::OKOnly) + Msg::Information, QString());
        return Postponed::NothingSelected;
    }
    const std::optional<int> minutes = IntervalMinutes(interval);
    if (!minutes) {
        ui().msgBox(QStringLiteral("Impostare un intervallo di tempo valido"), int(Msg::OKOnly) + Msg::Information,
                    QString());
        return Postponed::NoInterval;
    }
    const QDateTime next = appClock().now().addSecs(qint64(*minutes) * 60);
    auto reminders = open(db, kReminders);
    for (const ReminderEntry& e : selected) {
        if (!reminders->MoveToOID(e.key)) {
            ui().msgBox(
                QStringLiteral("Il messaggio:\r") + e.text
                    + QString::fromUtf8("\r\rNon è stato identificato nella tabella dei Promemoria; è possibile che "
                                        "sia già stato cancellato.\r\rIl messaggio non può pertanto essere posposto"),
                Msg::OKOnly, QString());
            continue;
        }
        reminders->SetValue(QStringLiteral("DataProssimaNotifica"), next);
        reminders->Update();
    }
    return Postponed::Done;
}
