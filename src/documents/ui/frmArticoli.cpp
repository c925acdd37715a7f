#include "frmArticoli.h"

#include "documents/AddToDeposit.h"
#include "core/configuration/Configuration.h"
#include "core/seams/CounterServices.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "dialogs/FormUtilities.h"
#include "LibraryDocumentOperator.h"
#include "core/serial/SerialLines.h"
#include "core/helpers/SystemHelpers.h"
#include "dialogs/WindowRegistry.h"
#include "dialogs/LineEditBarcodeTarget.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

frmArticoli::frmArticoli(Database* db, ImportOperator* op, QWidget* owner) : ModalDialog(owner)
{
    if (db && op) m_add = std::make_unique<AddToDeposit>(*db, *op);
    setObjectName(QStringLiteral("frmArticoli"));
    setWindowTitle(QStringLiteral("Nuovo articolo"));

    auto* lblDeposito = new QLabel(QStringLiteral("Deposito:"), this);
    lblDeposito->setObjectName(QStringLiteral("lblDeposito"));
    m_codDeposito = new QComboBox(this);
    m_codDeposito->setObjectName(QStringLiteral("codDeposito"));
    m_codDeposito->setMinimumWidth(200);
    lblDeposito->setBuddy(m_codDeposito);
    auto* lblCodice = new QLabel(QStringLiteral("Codice:"), this);
    lblCodice->setObjectName(QStringLiteral("lblCodice"));
    m_txtCode_Articolo = new QLineEdit(this);
    m_txtCode_Articolo->setObjectName(QStringLiteral("txtCode_Articolo"));
    lblCodice->setBuddy(m_txtCode_Articolo);
    m_cmdAutoAdd = new QPushButton(QStringLiteral("&Aggiungi"), this);
    m_cmdAutoAdd->setObjectName(QStringLiteral("cmdAutoAdd"));
    m_cmdAutoAdd->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblDeposito, 0, 0);
    layout->addWidget(m_codDeposito, 0, 1);
    layout->addWidget(lblCodice, 1, 0);
    layout->addWidget(m_txtCode_Articolo, 1, 1);
    layout->addWidget(m_cmdAutoAdd, 1, 2);
    layout->setColumnStretch(1, 1);

    connect(m_cmdAutoAdd, &QPushButton::clicked, this, [this] { Add(); });
    connect(m_codDeposito, &QComboBox::activated, this, [this] { m_txtCode_Articolo->setFocus(); });
    connect(m_txtCode_Articolo, &QLineEdit::textChanged, this, [this](const QString& text) { codeChanged(text); });
    m_txtCode_Articolo->installEventFilter(this);
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
}

frmArticoli::~frmArticoli()
{
    if (m_codeBoxRegistered)
        if (CounterServices* counter = counterServices()) counter->SetBarcodeControl(nullptr);
}

void frmArticoli::ShowModal(QWidget* owner, ImportOperator& op)
{
    frmArticoli window(g_objDatabase.get(), &op, owner);
    if (window.Load()) window.runModal();
}

bool frmArticoli::Load()
{
    m_txtCode_Articolo->clear();
    m_codDeposito->clear();
    try {
        if (!m_add) RaiseAppError(QStringLiteral("frmArticoli"), QStringLiteral("Database non aperto"));
        for (const AddToDeposit::Deposit& d : m_add->Deposits()) {
            m_codDeposito->addItem(d.name, d.key);
            m_codDeposito->setItemData(m_codDeposito->count() - 1, d.description, Qt::ToolTipRole);
        }
    } catch (...) {
        ShowErrorDetails();
        return false;
    }
    if (m_codDeposito->currentIndex() < 0 && m_codDeposito->count() > 0) m_codDeposito->setCurrentIndex(0);
    registerCodeBox();
    return true;
}

void frmArticoli::registerCodeBox()
{
    if (CounterServices* counter = counterServices()) {
        counter->SetBarcodeControl(LineEditBarcodeTarget(m_txtCode_Articolo));
        m_codeBoxRegistered = true;
    }
}

void frmArticoli::done(int result)
{
    if (m_codeBoxRegistered) {
        m_codeBoxRegistered = false;
        if (CounterServices* counter = counterServices()) counter->SetBarcodeControl(nullptr);
    }
    ModalDialog::done(result);
}

void frmArticoli::changeEvent(QEvent* e)
{
    // Back from the row editor: scans come here again.
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && isOpen()) registerCodeBox();
    ModalDialog::changeEvent(e);
}

qint64 frmArticoli::chosenDeposit() const
{
    return m_codDeposito->currentIndex() < 0 ? 0 : m_codDeposito->currentData().toLongLong();
}

void frmArticoli::Add()
{
    if (!m_add) return;
    const AddToDeposit::Result result = m_add->Add(m_txtCode_Articolo->text(), chosenDeposit());
    if (result.clearCode()) m_txtCode_Articolo->clear();
    if (result.outcome == AddToDeposit::Outcome::NoDeposit)
        m_codDeposito->setFocus();
    else
        m_txtCode_Articolo->setFocus();
}

void frmArticoli::codeChanged(const QString& text)
{
    // A scanner ends its code with a line break: the code is added at once.
    const QString line = GetFirstLine(text);
    if (line.isEmpty()) return;
    m_txtCode_Articolo->setText(line);
    Add();
}

bool frmArticoli::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::FocusIn && watched == m_txtCode_Articolo)
        QTimer::singleShot(0, m_txtCode_Articolo, [box = m_txtCode_Articolo] { box->selectAll(); });
    return ModalDialog::eventFilter(watched, e);
}

QString frmArticoli::answerPrompt() const
{
    QStringList names;
    for (int i = 0; i < m_codDeposito->count(); ++i) names << m_codDeposito->itemText(i);
    return QStringLiteral("Codice per il deposito <") + m_codDeposito->currentText() + QStringLiteral("> (depositi: ")
        + names.join(QStringLiteral(", ")) + u')';
}

void frmArticoli::applyAnswer(const QString& answer)
{
    QString code = answer;
    if (answer.contains(u'\t')) {
        const QString deposit = answer.section(u'\t', 0, 0);
        code = answer.section(u'\t', 1);
        m_codDeposito->setCurrentIndex(m_codDeposito->findText(deposit, Qt::MatchFixedString));
    }
    m_txtCode_Articolo->setText(code);
    Add();
}

MV_REGISTER_WINDOW(frmArticoli, [] {
    // Over the open database as the main window's command shows it; without one the list
    // shows the deposit every new database has.
    if (g_objDatabase) {
        static LibraryDocumentOperator op;
        auto* w = new frmArticoli(g_objDatabase.get(), &op);
        if (w->Load()) return w;
        delete w;
        RaiseAppError(QStringLiteral("frmArticoli"), QStringLiteral("Depositi non leggibili"));
    }
    auto* w = new frmArticoli();
    w->findChild<QComboBox*>(QStringLiteral("codDeposito"))->addItem(QString());
    return w;
});
