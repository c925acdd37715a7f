#include "FieldSequenceDialog.h"
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kNameRole = Qt::UserRole;
constexpr int kDescRole = Qt::UserRole + 1;
}

FieldSequenceDialog::FieldSequenceDialog(std::vector<Field> available, const QString& sequence, const QString& title,
                                         bool directions, QWidget* parent)
    : ModalDialog(parent), m_available(std::move(available)), m_directions(directions)
{
    setObjectName(QStringLiteral("FieldSequenceDialog"));
    setWindowTitle(title);

    m_lstAvailable = new QListWidget(this);
    m_lstAvailable->setObjectName(QStringLiteral("lstAvailable"));
    m_lstAvailable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lstChosen = new QListWidget(this);
    m_lstChosen->setObjectName(QStringLiteral("lstChosen"));
    m_lstChosen->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* cmdAdd = new QPushButton(QStringLiteral(">"), this);
    cmdAdd->setToolTip(QStringLiteral("Aggiungi i campi selezionati"));
    auto* cmdAddAll = new QPushButton(QStringLiteral(">>"), this);
    cmdAddAll->setToolTip(QStringLiteral("Aggiungi tutti i campi"));
    auto* cmdRemove = new QPushButton(QStringLiteral("<"), this);
    cmdRemove->setToolTip(QStringLiteral("Togli i campi selezionati"));
    auto* cmdRemoveAll = new QPushButton(QStringLiteral("<<"), this);
    cmdRemoveAll->setToolTip(QStringLiteral("Togli tutti i campi"));
    auto* cmdUp = new QPushButton(QStringLiteral("&Su"), this);
    auto* cmdDown = new QPushButton(QStringLiteral("&Giù"), this);
    m_chkDescending = new QCheckBox(QStringLiteral("&Decrescente"), this);
    m_chkDescending->setVisible(directions);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));

    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    for (QPushButton* b : {cmdAdd, cmdAddAll, cmdRemove, cmdRemoveAll}) middle->addWidget(b);
    middle->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addStretch(1);
    right->addWidget(cmdUp);
    right->addWidget(cmdDown);
    right->addWidget(m_chkDescending);
    right->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Campi disponibili"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Campi visualizzati"), this), 0, 2);
    grid->addWidget(m_lstAvailable, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(m_lstChosen, 1, 2);
    grid->addLayout(right, 1, 3);
    grid->addWidget(buttons, 2, 0, 1, 4);

    connect(cmdAdd, &QPushButton::clicked, this, [this] { add(); });
    connect(cmdAddAll, &QPushButton::clicked, this, [this] {
        m_lstAvailable->selectAll();
        add();
    });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { remove(); });
    connect(cmdRemoveAll, &QPushButton::clicked, this, [this] {
        m_lstChosen->selectAll();
        remove();
    });
    connect(m_lstAvailable, &QListWidget::itemDoubleClicked, this, [this] { add(); });
    connect(m_lstChosen, &QListWidget::itemDoubleClicked, this, [this] { remove(); });
    connect(cmdUp, &QPushButton::clicked, this, [this] { move(-1); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { move(1); });
    connect(m_chkDescending, &QCheckBox::clicked, this, [this] { directionChanged(); });
    connect(m_lstChosen, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* item) { m_chkDescending->setChecked(item && item->data(kDescRole).toBool()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    fill(parse(sequence, nullptr));
    resize(520, 360);
}

const FieldSequenceDialog::Field* FieldSequenceDialog::find(const QString& nameOrCaption) const
{
    for (const Field& f : m_available)
        if (f.name.compare(nameOrCaption, Qt::CaseInsensitive) == 0) return &f;
    for (const Field& f : m_available)
        if (f.caption.compare(nameOrCaption, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

std::vector<FieldSequenceDialog::Chosen> FieldSequenceDialog::parse(const QString& text, QString* unknown) const
{
    std::vector<Chosen> out;
    for (QString item : text.split(u',', Qt::SkipEmptyParts)) {
        item = item.trimmed();
        if (item.isEmpty()) continue;
        Chosen c;
        const QStringList words = item.split(u' ', Qt::SkipEmptyParts);
        QString name = item;
        if (m_directions && words.size() > 1) {
            const QString last = words.last();
            if (last.compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0
                || last.compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0) {
                c.descending = last.compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
                name = item.left(item.lastIndexOf(u' ')).trimmed();
            }
        }
        const Field* f = find(name);
        if (!f) {
            if (unknown && unknown->isEmpty()) *unknown = name;
            continue;
        }
        bool twice = false;
        for (const Chosen& o : out) twice = twice || o.name == f->name;
        if (twice) continue;
        c.name = f->name;
        out.push_back(c);
    }
    return out;
}

QListWidgetItem* FieldSequenceDialog::chosenItem(const Chosen& c) const
{
    const Field* f = find(c.name);
    auto* item = new QListWidgetItem(f ? f->caption : c.name);
    item->setData(kNameRole, c.name);
    item->setData(kDescRole, c.descending);
    if (c.descending) item->setText(item->text() + QStringLiteral(" (decrescente)"));
    return item;
}

void FieldSequenceDialog::fill(const std::vector<Chosen>& chosen)
{
    m_lstAvailable->clear();
    m_lstChosen->clear();
    for (const Chosen& c : chosen) m_lstChosen->addItem(chosenItem(c));
    for (const Field& f : m_available) {
        bool taken = false;
        for (const Chosen& c : chosen) taken = taken || c.name == f.name;
        if (taken) continue;
        auto* item = new QListWidgetItem(f.caption, m_lstAvailable);
        item->setData(kNameRole, f.name);
    }
}

QString FieldSequenceDialog::Sequence() const
{
    QStringList out;
    for (int i = 0; i < m_lstChosen->count(); ++i) {
        const QListWidgetItem* item = m_lstChosen->item(i);
        QString name = item->data(kNameRole).toString();
        if (m_directions && item->data(kDescRole).toBool()) name += QStringLiteral(" DESC");
        out << name;
    }
    return out.join(m_directions ? QStringLiteral(", ") : QStringLiteral(","));
}

void FieldSequenceDialog::add()
{
    const auto items = m_lstAvailable->selectedItems();
    for (QListWidgetItem* item : items) {
        m_lstChosen->addItem(chosenItem({item->data(kNameRole).toString(), false}));
        delete item;
    }
}

void FieldSequenceDialog::remove()
{
    std::vector<Chosen> keep;
    for (int i = 0; i < m_lstChosen->count(); ++i) {
        const QListWidgetItem* item = m_lstChosen->item(i);
        if (!item->isSelected()) keep.push_back({item->data(kNameRole).toString(), item->data(kDescRole).toBool()});
    }
    fill(keep);
}

void FieldSequenceDialog::move(int by)
{
    const int row = m_lstChosen->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= m_lstChosen->count()) return;
    QListWidgetItem* item = m_lstChosen->takeItem(row);
    m_lstChosen->insertItem(to, item);
    m_lstChosen->setCurrentRow(to);
}

void FieldSequenceDialog::directionChanged()
{
    QListWidgetItem* item = m_lstChosen->currentItem();
    if (!item) return;
    Chosen c {item->data(kNameRole).toString(), m_chkDescending->isChecked()};
    const int row = m_lstChosen->row(item);
    delete m_lstChosen->takeItem(row);
    m_lstChosen->insertItem(row, chosenItem(c));
    m_lstChosen->setCurrentRow(row);
}

QString FieldSequenceDialog::answerPrompt() const
{
    QStringList names;
    for (const Field& f : m_available) names << f.name;
    return windowTitle() + QStringLiteral(": ") + names.join(QStringLiteral(", "));
}

void FieldSequenceDialog::applyAnswer(const QString& answer)
{
    QString unknown;
    const auto chosen = parse(answer, &unknown);
    if (!unknown.isEmpty()) {
        ui().msgBox(QStringLiteral("Campo inesistente: ") + unknown, int {Msg::OKOnly} | Msg::Exclamation,
                    windowTitle());
        return;
    }
    fill(chosen);
    accept();
}

std::optional<QString> FieldSequenceDialog::Choose(std::vector<Field> available, const QString& sequence,
                                                   const QString& title, bool directions, QWidget* owner)
{
    FieldSequenceDialog dialog(std::move(available), sequence, title, directions, owner);
    if (!dialog.runModal()) return std::nullopt;
    return dialog.Sequence();
}
