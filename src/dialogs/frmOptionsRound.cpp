#include "frmOptionsRound.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "FormUtilities.h"
#include "OptionsNumbers.h"
#include "base/UiServices.h"
#include "WindowRegistry.h"
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kAmountWidth = 20;

QLineEdit* amountField(QWidget* parent, const char* name, const char* tip)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setToolTip(QString::fromUtf8(tip));
    e->setAlignment(Qt::AlignRight);
    optionsnum::InstallAmountKeyFilter(e);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

// The amount of a field; raises the classic type error when the text is not one.
Currency amountOf(const QLineEdit* field)
{
    if (auto v = optionsnum::ReadAmount(field->text())) return *v;
    throw AppError(AppError::kTypeMismatch, QStringLiteral("frmOptionsRound"),
                   QStringLiteral("Tipo non corrispondente"));
}
}

frmOptionsRound::frmOptionsRound(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmOptionsRound"));
    setWindowTitle(QStringLiteral("Arrotondamenti per Fascia di Prezzo"));

    m_mskFrom = amountField(this, "mskFrom", "Limite iniziale dell'importo da arrotondare");
    m_mskTo = amountField(this, "mskTo", "Limite finale dell'importo da arrotondare");
    m_mskRound = amountField(this, "mskRound", "Valore di arrotondamento per la fascia di prezzo");
    // The library's currency pattern for a 20-character field: 15 integer digits, 4 decimals.
    optionsnum::SetAmountMask(m_mskFrom, 15, 4);
    optionsnum::SetAmountMask(m_mskTo, 15, 4);
    optionsnum::SetAmountMask(m_mskRound, 1, 2);   // "#,##"
    auto* cmdAdd = button(this, "cmdAdd", "< &Aggiungi");
    auto* cmdDelete = button(this, "Command1", "&Elimina >");
    m_lstRanges = new QListWidget(this);
    m_lstRanges->setObjectName(QStringLiteral("lstRanges"));
    QFont fixed(QStringLiteral("Courier New"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    m_lstRanges->setFont(fixed);
    m_lstRanges->setMinimumWidth(m_lstRanges->fontMetrics().horizontalAdvance(QString(16 + 3 * kAmountWidth, u'0'))
                                 + 30);
    auto* lblRanges = new QLabel(QStringLiteral("Arrotondamenti configurati"), this);
    lblRanges->setObjectName(QStringLiteral("lblRanges"));
    auto* cmdOK = button(this, "cmdOK", "&OK");
    auto* cmdCancel = button(this, "cmdCancel", "&Esci");

    auto* fields = new QGridLayout;
    auto addRow = [&](int row, const char* name, const char* caption, QLineEdit* field) {
        auto* l = new QLabel(QString::fromUtf8(caption), this);
        l->setObjectName(QString::fromLatin1(name));
        l->setBuddy(field);
        fields->addWidget(l, row, 0);
        fields->addWidget(field, row, 1);
    };
    addRow(0, "lblFrom", "Da prezzo:", m_mskFrom);
    addRow(1, "lblTo", "A prezzo:", m_mskTo);
    addRow(2, "lblRound", "Arrotonda a:", m_mskRound);
    fields->setRowStretch(3, 1);
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(cmdAdd);
    middle->addWidget(cmdDelete);
    middle->addStretch(1);
    auto* list = new QVBoxLayout;
    list->addWidget(lblRanges);
    list->addWidget(m_lstRanges, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(fields);
    top->addLayout(middle);
    top->addLayout(list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    connect(cmdAdd, &QPushButton::clicked, this, [this] { Add(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { Delete(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Load: a copy of the ranges in use, so Cancel leaves them untouched.
    for (const auto& r : g_colRoundRanges) addItem(r->FromValue(), r->ToValue(), r->RoundValue());
    for (QLineEdit* e : {m_mskFrom, m_mskTo, m_mskRound})
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QString(14, u'0')));
    resize(sizeHint().expandedTo(QSize(640, 280)));
}

QString frmOptionsRound::RangeLine(Currency from, Currency to, Currency step)
{
    return QStringLiteral("da  ") + optionsnum::AmountField(from, kAmountWidth) + QStringLiteral("  a  ")
        + optionsnum::AmountField(to, kAmountWidth) + QStringLiteral("   ->  ")
        + optionsnum::AmountField(step, kAmountWidth);
}

void frmOptionsRound::addItem(Currency from, Currency to, Currency step)
{
    auto item = std::make_shared<clsRoundItem>();
    item->setFromValue(from);
    item->setToValue(to);
    item->setRoundValue(step);
    m_ranges.append(item);
    m_lstRanges->addItem(RangeLine(from, to, step));
}

void frmOptionsRound::Add()
{
    try {
        if (m_mskFrom->text().isEmpty() || m_mskRound->text().isEmpty() || m_mskTo->text().isEmpty()) {
            ui().msgBox(QStringLiteral("Devi impostare i parametri di arrotondamento."), Msg::OKOnly, g_strMsgTitle);
            m_mskFrom->setFocus();
            return;
        }
        const Currency from = amountOf(m_mskFrom);
        const Currency to = amountOf(m_mskTo);
        const Currency step = amountOf(m_mskRound);
        if (from > to) {
            ui().msgBox(QStringLiteral("La fascia di prezzo non è valida."), Msg::OKOnly, g_strMsgTitle);
            m_mskFrom->setFocus();
            return;
        }
        addItem(from, to, step);
        m_mskFrom->clear();
        m_mskTo->clear();
        m_mskFrom->setFocus();
    } catch (const AppError& e) {
        ui().msgBox(e.description, Msg::OKOnly, g_strMsgTitle);
    }
}

void frmOptionsRound::Delete()
{
    const int row = m_lstRanges->currentRow();
    if (row >= 0 && m_lstRanges->currentItem() && m_lstRanges->currentItem()->isSelected()) {
        m_ranges.removeAt(row);
        delete m_lstRanges->takeItem(row);
    }
    m_mskFrom->setFocus();
}

void frmOptionsRound::Ok()
{
    try {
        g_colRoundRanges = m_ranges;
        SaveRoundRanges();
        accept();
    } catch (const AppError& e) {
        ui().msgBox(e.description, Msg::OKOnly, g_strMsgTitle);
    }
}

void frmOptionsRound::ShowModal(QWidget* owner)
{
    frmOptionsRound window(owner);
    window.runModal();
}

void frmOptionsRound::applyAnswer(const QString& answer)
{
    if (answer.trimmed().compare(QStringLiteral("OK"), Qt::CaseInsensitive) == 0)
        Ok();
    else
        reject();
}

MV_REGISTER_WINDOW(frmOptionsRound, [] {
    auto* w = new frmOptionsRound();
    // Two ranges, so the picture shows how the list reads.
    auto* from = w->findChild<QLineEdit*>(QStringLiteral("mskFrom"));
    auto* to = w->findChild<QLineEdit*>(QStringLiteral("mskTo"));
    auto* step = w->findChild<QLineEdit*>(QStringLiteral("mskRound"));
    for (auto [f, t, s] : {std::tuple {"0", "9,99", "0,10"}, std::tuple {"10", "99,99", "0,50"}}) {
        from->setText(QString::fromLatin1(f));
        to->setText(QString::fromLatin1(t));
        step->setText(QString::fromLatin1(s));
        w->Add();
    }
    return w;
});
