#include "frmSearchText.h"
#include "core/configuration/Configuration.h"
#include "FormUtilities.h"
#include "WindowRegistry.h"
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

void SearchTextMemory::load()
{
    SearchText.clear();
    SearchInside = false;
    Confirmed = false;
    FindNext = false;
}

void SearchTextMemory::confirm(const QString& fieldName, const QString& text, bool insideTicked, bool insideOffered,
                               bool findNext)
{
    SearchText = text;
    SearchInside = insideTicked && insideOffered && insideUsable(text);
    FindNext = findNext;
    Confirmed = true;
    LastFieldName = fieldName;
    LastSearchText = text;
}

SearchTextMemory& frmSearchText::memory()
{
    static SearchTextMemory m;
    return m;
}

frmSearchText::frmSearchText(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmSearchText"));
    setWindowTitle(QStringLiteral("Cerca in"));

    m_lblFieldName = new QLabel(this);
    m_lblFieldName->setObjectName(QStringLiteral("lblFieldName"));
    QFont bold = m_lblFieldName->font();
    bold.setBold(true);
    m_lblFieldName->setFont(bold);
    m_txtSearch = new QLineEdit(this);
    m_txtSearch->setObjectName(QStringLiteral("txtSearch"));
    m_txtSearch->setMinimumWidth(220);
    m_txtSearch->installEventFilter(this);
    m_chkInternal = new QCheckBox(QStringLiteral(" [F2] &Intern."), this);
    m_chkInternal->setObjectName(QStringLiteral("chkInternal"));
    m_chkInternal->setToolTip(QStringLiteral("Cerca anche all'interno delle stringhe"));
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdNext = new QPushButton(QStringLiteral("&Successivo [F3]"), this);
    m_cmdNext->setObjectName(QStringLiteral("cmdNext"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_lblFieldName, 0, 0, 1, 2);
    grid->addWidget(m_txtSearch, 1, 0);
    grid->addWidget(m_chkInternal, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdNext);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);

    connect(m_txtSearch, &QLineEdit::textChanged, this, [this](const QString& t) { textChanged(t); });
    connect(m_cmdOK, &QPushButton::clicked, this, [this] { confirm(false); });
    connect(m_cmdNext, &QPushButton::clicked, this, [this] { confirm(true); });

    // Load.
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_txtSearch->clear();
    memory().load();
    textChanged(QString());
    m_cmdOK->setDefault(true);
    adjustSize();
}

void frmSearchText::Prepare(const QString& fieldName, bool showInside, bool showNext)
{
    m_lblFieldName->setText(fieldName);
    m_showInside = showInside;
    m_showNext = showNext;
    m_chkInternal->setVisible(showInside);
    m_cmdNext->setVisible(showNext);
    activate();
}

bool frmSearchText::NextIsDefault() const { return m_cmdNext->isDefault(); }

void frmSearchText::TypeAhead(const QString& typed)
{
    if (typed.isEmpty()) return;
    m_txtSearch->setText(typed);
    m_txtSearch->deselect();
    m_txtSearch->end(false);
    m_typedAhead = true;
}

QString frmSearchText::TypedText() const { return m_txtSearch->text(); }

void frmSearchText::activate()
{
    SearchTextMemory& m = memory();
    if (!m.offersLastText(m_lblFieldName->text())) {
        m_cmdNext->setDefault(false);
        m_cmdOK->setDefault(true);
        return;
    }
    m_txtSearch->setText(m.LastSearchText);
    m_txtSearch->selectAll();
    if (m_showNext) {
        // After the text: a change of text gives the default back to OK.
        m_cmdOK->setDefault(false);
        m_cmdNext->setDefault(true);
    }
}

void frmSearchText::textChanged(const QString& text)
{
    if (m_cmdNext->isDefault()) {
        m_cmdNext->setDefault(false);
        m_cmdOK->setDefault(true);
    }
    m_chkInternal->setEnabled(SearchTextMemory::insideUsable(text));
}

void frmSearchText::confirm(bool findNext)
{
    memory().confirm(m_lblFieldName->text(), m_txtSearch->text(), m_chkInternal->isChecked(),
                     m_showInside && m_chkInternal->isEnabled(), findNext);
    accept();
}

void frmSearchText::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_txtSearch->setFocus();
}

bool frmSearchText::eventFilter(QObject* watched, QEvent* e)
{
    // A text typed ahead is being written: selecting it would have the next key replace it.
    if (watched == m_txtSearch && e->type() == QEvent::FocusIn && !m_typedAhead)
        QTimer::singleShot(0, m_txtSearch, [box = m_txtSearch] { box->selectAll(); });
    return QDialog::eventFilter(watched, e);
}

void frmSearchText::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_F2:
        if (m_showInside && m_chkInternal->isEnabled()) m_chkInternal->toggle();
        return;
    case Qt::Key_F3:
        if (m_showNext) confirm(true);
        return;
    default: QDialog::keyPressEvent(e);
    }
}

bool frmSearchText::GetSelection(QWidget* owner, const QString& fieldName, bool showInside, bool showNext)
{
    frmSearchText window(owner);
    window.Prepare(fieldName, showInside, showNext);
    window.runModal();
    return memory().Confirmed;
}

QString frmSearchText::answerPrompt() const { return m_lblFieldName->text(); }

void frmSearchText::applyAnswer(const QString& answer)
{
    m_txtSearch->setText(answer);
    confirm(false);
}

MV_REGISTER_WINDOW(frmSearchText, [] {
    auto* w = new frmSearchText();
    w->Prepare(QStringLiteral("Descrizione"), true, true);
    return w;
});
