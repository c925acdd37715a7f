#include "frmMemo.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "objdb/Database.h"
#include "core/lifecycle/ErrorReporting.h"
#include "dialogs/FormUtilities.h"
#include "objdb/ui/LibraryApplication.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "dialogs/WindowRegistry.h"
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kReminders = QStringLiteral("Promemoria");

}   // namespace

frmMemo::frmMemo(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmMemo"));
    setWindowTitle(QStringLiteral("Promemoria"));

    auto button = [this](const char* name, const QString& caption, const QString& tip) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        return b;
    };
    m_label3 = new QLabel(QStringLiteral("    Data Scadenza     -     Promemoria"), this);
    m_label3->setObjectName(QStringLiteral("Label3"));
    m_lstMemo = new QListWidget(this);
    m_lstMemo->setObjectName(QStringLiteral("lstMemo"));
    m_lstMemo->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_chkAll = new QCheckBox(QStringLiteral("Visualizza tutti"), this);
    m_chkAll->setObjectName(QStringLiteral("chkAll"));
    m_chkAll->setToolTip(QStringLiteral("Visualizza tutti i promemoria attivi (anche quelli non scaduti)"));
    m_cmbTimeReminder = new QComboBox(this);
    m_cmbTimeReminder->setObjectName(QStringLiteral("cmbTimeReminder"));
    for (const auto& [name, minutes] : ReminderEngine::Intervals()) m_cmbTimeReminder->addItem(name, minutes);
    m_cmbTimeReminder->setCurrentIndex(-1);
    m_cmdPosponi = button("cmdPosponi", QStringLiteral("&Posponi"),
                          QStringLiteral("Rimanda la notifica dei promemoria selezionati"));
    m_cmdNew = button("cmdNew", QStringLiteral("&Nuovo"), QStringLiteral("Aggiunge un nuovo promemoria"));
    m_cmdEdit = button("cmdEdit", QStringLiteral("&Modifica"), QString());
    m_cmdDelete = button("cmdDelete", QStringLiteral("&Elimina"), QStringLiteral("Elimina i promemoria selezionati"));
    m_cmdRefresh = button("cmdRefresh", QStringLiteral("&Aggiorna"),
                          QStringLiteral("Aggiorna la visualizzazione dei promemoria"));
    m_cmdClose = button("cmdClose", QStringLiteral("&Chiudi"), QString());
    m_tmrMemo = new QTimer(this);
    m_tmrMemo->setObjectName(QStringLiteral("tmrMemo"));
    m_tmrMemo->setInterval(kTimerInterval);

    auto* postpone = new QHBoxLayout;
    postpone->addWidget(m_chkAll);
    postpone->addStretch(1);
    postpone->addWidget(m_cmbTimeReminder);
    postpone->addWidget(m_cmdPosponi);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {m_cmdNew, m_cmdEdit, m_cmdDelete, m_cmdRefresh}) commands->addWidget(b);
    commands->addStretch(1);
    commands->addWidget(m_cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label3);
    layout->addWidget(m_lstMemo, 1);
    layout->addLayout(postpone);
    layout->addLayout(commands);
    resize(520, 320);

    // A run never rebuilds the list while the user is choosing entries.
    setMouseTracking(true);
    m_lstMemo->setMouseTracking(true);
    m_lstMemo->viewport()->setMouseTracking(true);
    m_lstMemo->viewport()->installEventFilter(this);
    connect(m_cmbTimeReminder, &QComboBox::currentIndexChanged, this, [this] { RestartMemoTimer(); });
    connect(m_cmbTimeReminder, &QComboBox::highlighted, this, [this] { RestartMemoTimer(); });

    connect(m_tmrMemo, &QTimer::timeout, this, [this] { RunEngine(); });
    connect(m_chkAll, &QCheckBox::toggled, this, [this] { RunEngine(); });
    connect(m_cmdRefresh, &QPushButton::clicked, this, [this] { RunEngine(); });
    connect(m_cmdNew, &QPushButton::clicked, this, [this] { NewReminder(); });
    connect(m_cmdEdit, &QPushButton::clicked, this, [this] { EditReminders(); });
    connect(m_cmdDelete, &QPushButton::clicked, this, [this] { CloseSelected(); });
    connect(m_cmdPosponi, &QPushButton::clicked, this, [this] { PostponeSelected(); });
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { hideWindow(); });
    connect(m_lstMemo, &QListWidget::itemClicked, this, [this] {
        const QListWidgetItem* current = m_lstMemo->currentItem();
        m_lstMemo->setToolTip(current ? current->text() : QString());
    });

    m_database = [] { return g_objDatabase.get(); };
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_tmrMemo->start();
}

frmMemo::~frmMemo() = default;

Database* frmMemo::database() const { return m_database ? m_database() : nullptr; }

void frmMemo::RunEngine()
{
    m_engine.Run(database(), m_chkAll->isChecked(), this);
    if (!m_engine.TimerEnabled()) m_tmrMemo->stop();
    fillList();
}

void frmMemo::fillList()
{
    m_lstMemo->clear();
    for (const ReminderEntry& e : m_engine.Entries()) {
        auto* item = new QListWidgetItem(e.text, m_lstMemo);
        item->setData(Qt::UserRole, e.key);
    }
}

void frmMemo::RestartMemoTimer()
{
    if (!m_tmrMemo->isActive() && !m_engine.TimerEnabled()) return;
    m_tmrMemo->start();
}

bool frmMemo::ShowWindow()
{
    if (QApplication::activeModalWidget()) return false;
    show();
    raise();
    activateWindow();
    return true;
}

void frmMemo::hideWindow()
{
    if (m_sign) m_sign(false);
    hide();
}

void frmMemo::Unload()
{
    m_unloading = true;
    m_tmrMemo->stop();
    close();
}

void frmMemo::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) RunEngine();
}

void frmMemo::closeEvent(QCloseEvent* e)
{
    if (m_unloading) {
        QWidget::closeEvent(e);
        return;
    }
    e->ignore();
    hideWindow();
}

bool frmMemo::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseMove) RestartMemoTimer();
    return QWidget::eventFilter(watched, e);
}

void frmMemo::mouseMoveEvent(QMouseEvent* e)
{
    RestartMemoTimer();
    QWidget::mouseMoveEvent(e);
}

std::vector<ReminderEntry> frmMemo::selectedEntries(bool withCurrent) const
{
    std::vector<ReminderEntry> out;
    for (int i = 0; i < m_lstMemo->count(); ++i) {
        const QListWidgetItem* item = m_lstMemo->item(i);
        if (item->isSelected() || (withCurrent && item == m_lstMemo->currentItem()))
            out.push_back({item->data(Qt::UserRole).toLongLong(), item->text()});
    }
    return out;
}

// A command's work, then the run that shows its effect; an error is reported and the list
// stays as it was.
template <class F> void frmMemo::command(F work)
{
    Database* db = database();
    if (!db) return;
    try {
        if (!work(*db)) return;
    } catch (...) {
        ShowErrorDetails(QString());
        return;
    }
    RunEngine();
}

void frmMemo::NewReminder()
{
    command([this](Database& db) {
        // The library's row editor fills in the new reminder; its defaults are the table's.
        auto reminders = db.Tables().Item(kReminders)->Select();
        LibraryApplication::Instance().OpenView(*reminders, this, QString())->NewRow({});
        return true;
    });
}

void frmMemo::EditReminders()
{
    if (m_lstMemo->count() == 0) return;
    command([this](Database& db) {
        auto reminders = db.Tables().Item(kReminders)->Select();
        for (const ReminderEntry& e : selectedEntries(true)) {
            // A reminder gone meanwhile is left out without a word.
            if (!reminders->MoveToOID(e.key)) continue;
            if (LibraryApplication::Instance().OpenView(*reminders, nullptr, QString())->EditRow(true, QString(), true))
                reminders->Refresh();
        }
        return true;
    });
}

void frmMemo::CloseSelected()
{
    command([this](Database& db) { return m_engine.CloseReminders(db, selectedEntries(false)); });
}

void frmMemo::PostponeSelected()
{
    command([this](Database& db) {
        switch (m_engine.Postpone(db, selectedEntries(false), m_cmbTimeReminder->currentText())) {
        case ReminderEngine::Postponed::NothingSelected: return false;
        case ReminderEngine::Postponed::NoInterval: m_cmbTimeReminder->setFocus(); return false;
        case ReminderEngine::Postponed::Done: return true;
        }
        return true;
    });
}

MV_REGISTER_WINDOW(frmMemo, [] {
    auto* w = new frmMemo;
    w->Timer()->stop();
    return w;
});
