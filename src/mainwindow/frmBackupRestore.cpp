#include "frmBackupRestore.h"
#include "dialogs/AnswerControls.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "dialogs/FormUtilities.h"
#include "operations/SaveReminder.h"
#include "base/SettingsStore.h"
#include "base/UiServices.h"
#include "dialogs/WindowRegistry.h"
#include "dialogs/frmDateSetting.h"
#include "dialogs/frmFromDateToDate.h"
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("BackupRestore");
const QString kCopyRelated = QStringLiteral("CopyRelated");
}

// --- the choices ---------------------------------------------------------------------------------

std::optional<QDate> BackupSelections::DefaultFrom(int frequency, const QDate& to)
{
    switch (frequency) {
    case SaveReminder::Daily: return to.addDays(-1);
    case SaveReminder::Weekly: {
        const QDate weekBefore = to.addDays(-7);
        // To the Monday of its week; a Sunday, the first day of a week counted from Sunday,
        // to the Monday after it.
        const int fromSunday = weekBefore.dayOfWeek() % 7;   // Sunday 0 .. Saturday 6
        return weekBefore.addDays(1 - fromSunday);
    }
    case SaveReminder::Monthly: {
        const QDate monthBefore = to.addMonths(-1);
        return QDate(monthBefore.year(), monthBefore.month(), 1);
    }
    default: return std::nullopt;
    }
}

void BackupSelections::LoadPeriod(const QDate& today, int frequency, const std::optional<QDate>& lastSaved)
{
    if (!to) to = today;
    if (!from) from = DefaultFrom(frequency, *to);
    if (from && *to < *from) to = from;
    if (!restore && from && lastSaved && *lastSaved < *from) from = lastSaved;
}

BackupChoice BackupSelections::Choice() const
{
    BackupChoice c;
    c.request.restore = restore;
    c.request.allData = allData;
    c.request.from = from;
    c.request.to = to.value_or(appClock().today());
    c.request.deleteAtOrigin = deleteAtOrigin;
    c.request.copyArticoli = copyArticoli;
    c.request.copyRelated = copyRelated;
    c.moveArchive = moveArchive;
    return c;
}

// --- the window ------------------------------------------------------------------------------------

frmBackupRestore::frmBackupRestore(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmBackupRestore"));
    setWindowTitle(QStringLiteral("Salva / Ripristina"));

    auto option = [this](const char* name, const QString& caption) {
        auto* o = new QRadioButton(caption, this);
        o->setObjectName(QString::fromLatin1(name));
        return o;
    };
    auto check = [this](const char* name, const QString& caption, const QString& tip) {
        auto* c = new QCheckBox(caption, this);
        c->setObjectName(QString::fromLatin1(name));
        c->setToolTip(tip);
        return c;
    };
    auto dateBox = [this](const char* name) {
        auto* t = new QLineEdit(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setReadOnly(true);   // the dates change only through their pickers
        t->setMaximumWidth(t->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12);
        return t;
    };
    auto picker = [this](const char* name, const QString& tip) {
        auto* b = new QPushButton(QStringLiteral("..."), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        b->setMaximumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
        return b;
    };

    m_optCopyData = option("optCopyData", QStringLiteral("&Dati delle Forniture e delle Vendite"));
    m_optCopyAllData = option("optCopyAllData", QStringLiteral("Copia &Tutto l'archivio"));
    m_optMoveData = option("optMoveData", QStringLiteral("&Archivio di manutenzione"));
    m_lblMoveData
        = new QLabel(QStringLiteral("Gestisce lo spostamento automatico dell'intero archivio di manutenzione, "
                                    "un copia locale rimane disponibile in caso di annullamento."),
                     this);
    m_lblMoveData->setObjectName(QStringLiteral("lblMoveData"));
    m_lblMoveData->setWordWrap(true);
    m_txtFromDate = dateBox("txtFromDate");
    m_txtToDate = dateBox("txtToDate");
    m_cmdSelFromDate = picker("cmdSelFromDate", QStringLiteral("Seleziona la data di inizio"));
    m_cmdSelToDate = picker("cmdSelToDate", QStringLiteral("Seleziona la data di fine"));
    m_chkRemoveData = check("chkRemoveData", QStringLiteral("Elimina i dati dopo la copia"), QString());
    m_chkArticoli = check("chkArticoli", QStringLiteral("Copia il magazzino articoli"),
                          QStringLiteral("Copia tutti gli articoli"));
    m_chkCopyRelate = check(
        "chkCopyRelate", QStringLiteral("Aggiorna dati correlati modificati"),
        QStringLiteral("Aggiorna i dati (Articoli, Codifiche etc.) correlati alle Forniture / Vendite presenti"));
    m_cmdExecute = new QPushButton(QStringLiteral("&Avvia"), this);
    m_cmdExecute->setObjectName(QStringLiteral("cmdExecute"));
    m_cmdExecute->setDefault(true);

    auto* period = new QGridLayout;
    period->addWidget(new QLabel(QStringLiteral("Dal:"), this), 0, 0);
    period->addWidget(m_txtFromDate, 0, 1);
    period->addWidget(m_cmdSelFromDate, 0, 2);
    period->addWidget(new QLabel(QStringLiteral("Fino al:"), this), 0, 3);
    period->addWidget(m_txtToDate, 0, 4);
    period->addWidget(m_cmdSelToDate, 0, 5);
    period->setColumnStretch(6, 1);
    auto* copyData = new QVBoxLayout;
    copyData->setContentsMargins(24, 0, 0, 0);
    copyData->addLayout(period);
    copyData->addWidget(m_chkRemoveData);
    copyData->addWidget(m_chkArticoli);
    copyData->addWidget(m_chkCopyRelate);
    auto* moveData = new QVBoxLayout;
    moveData->setContentsMargins(24, 0, 0, 0);
    moveData->addWidget(m_lblMoveData);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdExecute);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_optCopyData);
    layout->addLayout(copyData);
    layout->addWidget(m_optCopyAllData);
    layout->addWidget(m_optMoveData);
    layout->addLayout(moveData);
    layout->addLayout(buttons);

    m_pickDate = [this](const std::optional<QDate>& current) { return frmDateSetting(this).SetDate(current, -1, -1); };
    for (QRadioButton* o : {m_optCopyData, m_optCopyAllData, m_optMoveData})
        connect(o, &QRadioButton::toggled, this, [this] { updateEnabling(); });
    connect(m_cmdSelFromDate, &QPushButton::clicked, this, [this] { pick(true); });
    connect(m_cmdSelToDate, &QPushButton::clicked, this, [this] { pick(false); });
    connect(m_chkArticoli, &QCheckBox::toggled, this, [this](bool ticked) { confirmArticoli(ticked); });
    connect(m_cmdExecute, &QPushButton::clicked, this, [this] { Execute(); });

    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    Prepare(Selections().restore);
}

BackupSelections& frmBackupRestore::Selections()
{
    static BackupSelections selections;
    return selections;
}

std::optional<BackupChoice> frmBackupRestore::QuerySelections(QWidget* owner, const QString& caption, bool restore)
{
    frmBackupRestore dialog(owner);
    dialog.setWindowTitle(caption);
    dialog.Prepare(restore);
    dialog.runModal();
    if (!dialog.Confirmed()) return std::nullopt;
    return Selections().Choice();
}

void frmBackupRestore::Prepare(bool restore)
{
    BackupSelections& s = Selections();
    s.restore = restore;
    s.LoadPeriod(appClock().today(), settings().BkpSaveNotify, restore ? std::nullopt : SaveReminder::LastSaved());
    showDates();
    m_confirmed = false;

    // The controls start as designed at every opening; only the period and the related-data
    // choice carry over.
    m_optCopyData->setChecked(true);
    const QSignalBlocker quiet(m_chkArticoli);
    m_chkArticoli->setChecked(false);
    m_chkRemoveData->setChecked(settings().BackupFuncEnableDelete);
    s.copyRelated = StrToBool(settingsStore().get(kSection, kCopyRelated, QStringLiteral("True")));
    m_chkCopyRelate->setChecked(s.copyRelated);
    updateEnabling();
}

void frmBackupRestore::updateEnabling()
{
    const bool copyData = m_optCopyData->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*> {m_txtFromDate, m_txtToDate, m_cmdSelFromDate, m_cmdSelToDate,
                                                       m_chkArticoli, m_chkCopyRelate})
        w->setEnabled(copyData);
    m_chkRemoveData->setEnabled(copyData && settings().BackupFuncEnableDelete);
    m_lblMoveData->setEnabled(m_optMoveData->isChecked());
}

void frmBackupRestore::showDates()
{
    const BackupSelections& s = Selections();
    m_txtFromDate->setText(s.from ? period::DateText(*s.from) : QString());
    m_txtToDate->setText(s.to ? period::DateText(*s.to) : QString());
}

void frmBackupRestore::pick(bool first)
{
    BackupSelections& s = Selections();
    const std::optional<QDate> chosen = m_pickDate ? m_pickDate(first ? s.from : s.to) : std::nullopt;
    if (!chosen) return;
    (first ? s.from : s.to) = *chosen;
    showDates();
}

void frmBackupRestore::confirmArticoli(bool ticked)
{
    if (!ticked) return;
    if (ui().msgBox(QStringLiteral("Questa opzione attiva la copia dell'intero magazzino articoli...\r\rConfermi ?"),
                    int(Msg::YesNo) + Msg::Question + Msg::DefaultButton2, QString())
        == Msg::Yes)
        return;
    const QSignalBlocker quiet(m_chkArticoli);
    m_chkArticoli->setChecked(false);
}

void frmBackupRestore::Execute()
{
    BackupSelections& s = Selections();
    if (!s.PeriodValid()) {
        ui().msgBox(QStringLiteral("Periodo impostato non corretto"), int(Msg::OKOnly) + Msg::Exclamation, QString());
        m_txtFromDate->setFocus();
        return;
    }
    s.allData = m_optCopyAllData->isChecked();
    s.moveArchive = m_optMoveData->isChecked();
    s.deleteAtOrigin = m_chkRemoveData->isChecked();
    s.copyArticoli = m_chkArticoli->isChecked();
    s.copyRelated = m_chkCopyRelate->isChecked();
    settingsStore().set(kSection, kCopyRelated, config::WriteBool(s.copyRelated));
    m_confirmed = true;
    accept();
}

void frmBackupRestore::applyAnswer(const QString& answer)
{
    if (!answers::IsCommand(answer, QStringLiteral("Avvia"))) {
        reject();
        return;
    }
    const QStringList fields = answer.split(u'\t');
    for (qsizetype i = 1; i < fields.size(); ++i)
        if (!applyPair(fields.at(i))) return;
    Execute();
}

bool frmBackupRestore::applyPair(const QString& pair)
{
    // The period's boxes change only through their pickers: the pair stands for the date picked.
    const QString name = pair.section(u'=', 0, 0).trimmed();
    const bool first = name == m_txtFromDate->objectName();
    if (!first && name != m_txtToDate->objectName()) return answers::FillControls(*this, QStringLiteral("\t") + pair);
    const QString value = pair.section(u'=', 1);
    if (!(first ? m_cmdSelFromDate : m_cmdSelToDate)->isEnabled()) return answers::RefuseFixed(name);
    const std::optional<QDate> date = period::ReadDateText(value);
    if (!date) return answers::RefuseValue(value, name);
    (first ? Selections().from : Selections().to) = *date;
    showDates();
    return true;
}

MV_REGISTER_WINDOW(frmBackupRestore);
