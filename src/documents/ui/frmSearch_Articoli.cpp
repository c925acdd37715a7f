#include "frmSearch_Articoli.h"

#include "core/seams/ArticleSearchHost.h"
#include "core/configuration/Configuration.h"
#include "core/seams/CounterServices.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "DocumentDisplay.h"
#include "dialogs/FormUtilities.h"
#include "dialogs/WindowRegistry.h"
#include "dialogs/LineEditBarcodeTarget.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// The hourglass while a search runs; the normal pointer again however it ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QRadioButton* option(QWidget* parent, const char* name, const QString& caption, const QString& tip)
{
    auto* o = new QRadioButton(caption, parent);
    o->setObjectName(QString::fromLatin1(name));
    o->setToolTip(tip);
    return o;
}

QString fieldName(ArticleSearchField field)
{
    switch (field) {
    case ArticleSearchField::Codice: return QStringLiteral("Codice");
    case ArticleSearchField::CodiceAggiuntivo: return QStringLiteral("Codice Aggiuntivo");
    case ArticleSearchField::Descrizione: return QStringLiteral("Descrizione");
    }
    return {};
}
}   // namespace

frmSearch_Articoli::frmSearch_Articoli(QWidget* owner)
    : ModalDialog(owner), m_search(g_objDatabase.get(), articleSearchHost())
{
    setObjectName(QStringLiteral("frmSearch_Articoli"));
    setWindowTitle(QStringLiteral("Cerca articolo..."));

    auto* label5 = new QLabel(QStringLiteral("Articolo:"), this);
    label5->setObjectName(QStringLiteral("Label5"));
    m_txtFind_Articolo = new QLineEdit(this);
    m_txtFind_Articolo->setObjectName(QStringLiteral("txtFind_Articolo"));
    m_txtFind_Articolo->setToolTip(QStringLiteral("Imposta il codice dell'articolo"));
    m_txtFind_Articolo->setMinimumWidth(220);
    label5->setBuddy(m_txtFind_Articolo);
    m_cmdSearch = CommandButton(this, "cmdSearch", QStringLiteral("Cerca"), QString());

    auto* options = new QGroupBox(this);
    options->setObjectName(QStringLiteral("fraFind"));
    m_optFind_Codice = option(options, "optFind_Codice", QStringLiteral("&Codice"),
                              QStringLiteral("Effettua la ricerca per Codice"));
    m_optFind_CodiceAggiuntivo = option(options, "optFind_CodiceAggiuntivo", QStringLiteral("Codice &Aggiuntivo"),
                                        QStringLiteral("Effettua la ricerca per Codice Aggiuntivo"));
    m_optFind_Descrizione = option(options, "optFind_Descrizione", QStringLiteral("&Descrizione"),
                                   QStringLiteral("Effettua la ricerca per Descrizione"));
    m_optFind_Codice->setChecked(true);
    auto* optionRow = new QHBoxLayout(options);
    optionRow->addWidget(m_optFind_Codice);
    optionRow->addWidget(m_optFind_CodiceAggiuntivo);
    optionRow->addWidget(m_optFind_Descrizione);

    m_chkFilter = new QCheckBox(QStringLiteral("S&olo articoli corrispondenti"), this);
    m_chkFilter->setObjectName(QStringLiteral("chkFilter"));
    m_chkFilter->setToolTip(QStringLiteral("Usa il filtro per identificare i dati visualizzando solo quelli trovati"));
    m_lblNotFound = new QLabel(QStringLiteral("Non trovato..."), this);
    m_lblNotFound->setObjectName(QStringLiteral("lblNotFound"));
    m_lblNotFound->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    m_lblNotFound->setVisible(false);

    m_cmdPrint = CommandButton(this, "cmdPrint", QStringLiteral("&Stampa [F8]"),
                               QStringLiteral("Stampa l'etichetta dell'articolo corrente"));
    m_cmdEdit = CommandButton(this, "cmdEdit", QStringLiteral("&Modifica [F5]"),
                              QStringLiteral("Modifica l'articolo corrente"));

    auto* findRow = new QHBoxLayout;
    findRow->addWidget(label5);
    findRow->addWidget(m_txtFind_Articolo, 1);
    findRow->addWidget(m_cmdSearch);
    auto* stateRow = new QHBoxLayout;
    stateRow->addWidget(m_chkFilter);
    stateRow->addStretch(1);
    // The label keeps its place while hidden, so the window does not jump after a search.
    QSizePolicy notFoundPolicy = m_lblNotFound->sizePolicy();
    notFoundPolicy.setRetainSizeWhenHidden(true);
    m_lblNotFound->setSizePolicy(notFoundPolicy);
    stateRow->addWidget(m_lblNotFound);
    auto* commandRow = new QHBoxLayout;
    commandRow->addStretch(1);
    commandRow->addWidget(m_cmdPrint);
    commandRow->addWidget(m_cmdEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(options);
    layout->addLayout(stateRow);
    layout->addLayout(commandRow);

    connect(m_cmdSearch, &QPushButton::clicked, this, [this] { Search(); });
    connect(m_cmdPrint, &QPushButton::clicked, this, [this] { PrintLabel(); });
    connect(m_cmdEdit, &QPushButton::clicked, this, [this] { Edit(); });
    connect(m_txtFind_Articolo, &QLineEdit::textChanged, this, [this](const QString& text) { textChanged(text); });
    for (const ArticleSearchField field :
         {ArticleSearchField::Codice, ArticleSearchField::CodiceAggiuntivo, ArticleSearchField::Descrizione}) {
        QRadioButton* o = optionOf(field);
        connect(o, &QRadioButton::toggled, this, [this, field](bool on) {
            if (on) m_search.field = field;
        });
        connect(o, &QRadioButton::clicked, this, [this, field] { chooseField(field); });
    }
    connect(m_chkFilter, &QCheckBox::toggled, this, [this](bool on) { m_search.onlyMatches = on; });
    connect(m_chkFilter, &QCheckBox::clicked, this, [this] { focusText(); });

    // The window sees the keys before its controls: F4, F5, F8 and Enter act wherever the
    // focus is, even on a button that would take Enter for itself.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_txtFind_Articolo->setFocus();
}

frmSearch_Articoli::~frmSearch_Articoli()
{
    if (m_codeBoxRegistered)
        if (CounterServices* counter = counterServices()) counter->SetBarcodeControl(nullptr);
}

void frmSearch_Articoli::ShowModal(QWidget* owner)
{
    frmSearch_Articoli window(owner);
    window.Load();
    window.runModal();
}

void frmSearch_Articoli::Load() { registerCodeBox(); }

void frmSearch_Articoli::registerCodeBox()
{
    if (CounterServices* counter = counterServices()) {
        counter->SetBarcodeControl(LineEditBarcodeTarget(m_txtFind_Articolo));
        m_codeBoxRegistered = true;
    }
}

void frmSearch_Articoli::done(int result)
{
    if (m_codeBoxRegistered) {
        m_codeBoxRegistered = false;
        if (CounterServices* counter = counterServices()) counter->SetBarcodeControl(nullptr);
    }
    ModalDialog::done(result);
}

void frmSearch_Articoli::changeEvent(QEvent* e)
{
    // Back from a window in front (the label print, the editor): scans come here again.
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && isOpen()) {
        registerCodeBox();
        focusText();
    }
    ModalDialog::changeEvent(e);
}

QRadioButton* frmSearch_Articoli::optionOf(ArticleSearchField field) const
{
    switch (field) {
    case ArticleSearchField::Codice: return m_optFind_Codice;
    case ArticleSearchField::CodiceAggiuntivo: return m_optFind_CodiceAggiuntivo;
    case ArticleSearchField::Descrizione: return m_optFind_Descrizione;
    }
    return m_optFind_Codice;
}

void frmSearch_Articoli::focusText() { m_txtFind_Articolo->setFocus(); }

bool frmSearch_Articoli::NotFoundShown() const { return !m_lblNotFound->isHidden(); }

// ---- commands ----------------------------------------------------------------------------------------

void frmSearch_Articoli::Search()
{
    ArticleSearch::Outcome outcome;
    {
        WaitCursor hourglass;
        outcome = m_search.Search(m_txtFind_Articolo->text());
    }
    switch (outcome) {
    case ArticleSearch::Outcome::Found: m_txtFind_Articolo->clear(); break;
    case ArticleSearch::Outcome::NotFound:
        m_lblNotFound->setVisible(true);
        m_txtFind_Articolo->selectAll();
        break;
    case ArticleSearch::Outcome::NothingToFind:
    case ArticleSearch::Outcome::Failed: break;
    }
    focusText();
}

void frmSearch_Articoli::PrintLabel()
{
    m_search.PrintLabel();
    focusText();
}

void frmSearch_Articoli::Edit()
{
    m_search.Edit();
    focusText();
}

void frmSearch_Articoli::NextField()
{
    const ArticleSearchField next = ArticleSearch::NextField(m_search.field);
    optionOf(next)->setChecked(true);
    chooseField(next);
}

void frmSearch_Articoli::chooseField(ArticleSearchField field)
{
    m_search.field = field;
    m_txtFind_Articolo->clear();
    focusText();
}

void frmSearch_Articoli::textChanged(const QString& text)
{
    m_lblNotFound->setVisible(false);
    // A scanner ends its code with a line break: the code is searched at once.
    if (const std::optional<QString> code = ArticleSearch::ScannedCode(text)) {
        m_txtFind_Articolo->setText(*code);
        Search();
    }
}

// ---- keys ------------------------------------------------------------------------------------------------

bool frmSearch_Articoli::handleKey(int key)
{
    switch (key) {
    case Qt::Key_F4: NextField(); return true;
    case Qt::Key_F5: Edit(); return true;
    case Qt::Key_F8: PrintLabel(); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: Search(); return true;
    default: return false;
    }
}

bool frmSearch_Articoli::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if ((key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) == 0
            && handleKey(key->key()))
            return true;
    } else if (e->type() == QEvent::FocusIn && watched == m_txtFind_Articolo) {
        // After the click that gave the focus, which would place the cursor instead.
        QTimer::singleShot(0, m_txtFind_Articolo, [box = m_txtFind_Articolo] { box->selectAll(); });
    }
    return ModalDialog::eventFilter(watched, e);
}

// ---- headless runs -------------------------------------------------------------------------------

QString frmSearch_Articoli::answerPrompt() const
{
    QString prompt = QStringLiteral("Articolo: [") + fieldName(m_search.field);
    if (m_search.onlyMatches) prompt += QStringLiteral(", Solo articoli corrispondenti");
    prompt += u']';
    if (NotFoundShown()) prompt += QStringLiteral(" Non trovato...");
    return prompt;
}

void frmSearch_Articoli::applyAnswer(const QString& answer)
{
    if (answer == QStringLiteral("<F5>")) {
        Edit();
        return;
    }
    if (answer == QStringLiteral("<F8>")) {
        PrintLabel();
        return;
    }
    QStringList parts = answer.split(u'\t');
    const QString text = parts.takeLast();
    for (const QString& word : parts) {
        const QString w = word.trimmed();
        for (const ArticleSearchField field :
             {ArticleSearchField::Codice, ArticleSearchField::CodiceAggiuntivo, ArticleSearchField::Descrizione}) {
            if (w.compare(fieldName(field), Qt::CaseInsensitive) == 0) {
                optionOf(field)->setChecked(true);
                chooseField(field);
            }
        }
        if (w.compare(QStringLiteral("Solo"), Qt::CaseInsensitive) == 0)
            m_chkFilter->setChecked(true);
        else if (w.compare(QStringLiteral("Tutti"), Qt::CaseInsensitive) == 0)
            m_chkFilter->setChecked(false);
    }
    m_txtFind_Articolo->setText(text);
    // A line that was a scanned code has been searched already.
    if (m_txtFind_Articolo->text() == text) Search();
}

MV_REGISTER_WINDOW(frmSearch_Articoli);
