#include "FilterEditor.h"
#include "base/AppError.h"
#include "objdb/Database.h"
#include "objdb/TableObject.h"
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { kField, kOp, kValue };

// "Field<op>value": the longest operator found first, so "<=" is not read as "<".
std::optional<FilterCondition> parseCondition(const QString& text)
{
    static const QStringList ops {QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("="),
                                  QStringLiteral("<"),  QStringLiteral(">"),  QStringLiteral("~")};
    int best = -1;
    QString found;
    for (const QString& op : ops) {
        const int at = text.indexOf(op);
        if (at > 0 && (best < 0 || at < best || (at == best && op.size() > found.size()))) {
            best = at;
            found = op;
        }
    }
    if (best <= 0) return std::nullopt;
    FilterCondition c;
    c.field = text.left(best).trimmed();
    c.op = found == u"~" ? QStringLiteral("Like") : found;
    c.value = text.mid(best + found.size());
    return c;
}
}

FilterEditor::FilterEditor(DataFilter& filter, const QString& title, QWidget* parent)
    : ModalDialog(parent), m_filter(filter)
{
    setObjectName(QStringLiteral("FilterEditor"));
    setWindowTitle(title);
    TableObject& table = filter.Table();
    const int level = table.GetDatabase()->AccessLevel();
    for (TableObject* t = &table; t; t = t->Parent())
        for (const FieldDefinition& f : t->Fields())
            if (f.O2 <= level) m_fields.emplace_back(f.Name, t == &table ? f.Name : t->Name() + u'.' + f.Name);

    m_grid = new QTableWidget(0, 3, this);
    m_grid->setObjectName(QStringLiteral("grdConditions"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Campo"), QStringLiteral("Operatore"), QStringLiteral("Valore")});
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->verticalHeader()->hide();
    m_grid->setColumnWidth(kField, 190);
    m_grid->setColumnWidth(kOp, 90);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* cmdAdd = new QPushButton(QStringLiteral("&Aggiungi"), this);
    auto* cmdRemove = new QPushButton(QStringLiteral("&Elimina"), this);
    auto* cmdClear = new QPushButton(QStringLiteral("&Svuota"), this);
    m_cboSaved = new QComboBox(this);
    m_cboSaved->setObjectName(QStringLiteral("cboSaved"));
    m_cboSaved->setEditable(true);
    m_cboSaved->setMinimumWidth(160);
    auto* cmdLoad = new QPushButton(QStringLiteral("&Carica"), this);
    auto* cmdSave = new QPushButton(QStringLiteral("Sa&lva"), this);
    auto* cmdDelete = new QPushButton(QStringLiteral("Elimina &filtro"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));

    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(cmdAdd);
    rowButtons->addWidget(cmdRemove);
    rowButtons->addWidget(cmdClear);
    rowButtons->addStretch(1);
    auto* saved = new QHBoxLayout;
    saved->addWidget(new QLabel(QStringLiteral("Filtri salvati:"), this));
    saved->addWidget(m_cboSaved, 1);
    saved->addWidget(cmdLoad);
    saved->addWidget(cmdSave);
    saved->addWidget(cmdDelete);
    auto* box = new QVBoxLayout(this);
    box->addWidget(
        new QLabel(QStringLiteral("Condizioni su ") + table.Caption() + QStringLiteral(" (tutte vere):"), this));
    box->addWidget(m_grid, 1);
    box->addLayout(rowButtons);
    box->addLayout(saved);
    box->addWidget(buttons);

    connect(cmdAdd, &QPushButton::clicked, this, [this] {
        addRow({m_fields.empty() ? QString() : m_fields.front().first, QStringLiteral("="), QString()});
    });
    connect(cmdRemove, &QPushButton::clicked, this, [this] {
        if (m_grid->currentRow() >= 0) m_grid->removeRow(m_grid->currentRow());
    });
    connect(cmdClear, &QPushButton::clicked, this, [this] { m_grid->setRowCount(0); });
    connect(cmdLoad, &QPushButton::clicked, this, [this] {
        if (!LoadSaved(m_cboSaved->currentText().trimmed()))
            ui().msgBox(QStringLiteral("Un filtro con questo nome non è presente!"), int {Msg::OKOnly});
    });
    connect(cmdSave, &QPushButton::clicked, this, [this] { SaveAs(m_cboSaved->currentText().trimmed()); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { DeleteSaved(m_cboSaved->currentText().trimmed()); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    ShowConditions(filter.Conditions());
    fillSavedNames();
    m_cboSaved->setCurrentText(filter.Name());
    resize(560, 340);
}

void FilterEditor::fillSavedNames()
{
    const QString typed = m_cboSaved->currentText();
    m_cboSaved->clear();
    const QString names = m_filter.GetSavedNames();
    if (!names.isEmpty()) m_cboSaved->addItems(names.split(u'|'));
    m_cboSaved->setCurrentText(typed);
}

void FilterEditor::addRow(const FilterCondition& c)
{
    const int row = m_grid->rowCount();
    m_grid->insertRow(row);
    auto* field = new QComboBox(m_grid);
    for (const auto& [name, caption] : m_fields) field->addItem(caption, name);
    int at = -1;
    for (int i = 0; i < field->count() && at < 0; ++i)
        if (field->itemData(i).toString().compare(c.field, Qt::CaseInsensitive) == 0) at = i;
    if (at < 0 && !c.field.isEmpty()) {
        // A condition on a field this operator does not see stays as it is.
        field->addItem(c.field, c.field);
        at = field->count() - 1;
    }
    field->setCurrentIndex(at);
    auto* op = new QComboBox(m_grid);
    op->addItems(DataFilter::Operators());
    op->setCurrentIndex(std::max(0, int(DataFilter::Operators().indexOf(c.op))));
    auto* value = new QLineEdit(c.value, m_grid);
    m_grid->setCellWidget(row, kField, field);
    m_grid->setCellWidget(row, kOp, op);
    m_grid->setCellWidget(row, kValue, value);
}

void FilterEditor::ShowConditions(const std::vector<FilterCondition>& conditions)
{
    m_grid->setRowCount(0);
    for (const FilterCondition& c : conditions) addRow(c);
}

std::vector<FilterCondition> FilterEditor::ShownConditions() const
{
    std::vector<FilterCondition> out;
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        auto* field = static_cast<QComboBox*>(m_grid->cellWidget(r, kField));
        auto* op = static_cast<QComboBox*>(m_grid->cellWidget(r, kOp));
        auto* value = static_cast<QLineEdit*>(m_grid->cellWidget(r, kValue));
        if (!field || field->currentIndex() < 0) continue;
        out.push_back({field->currentData().toString(), op->currentText(), value->text()});
    }
    return out;
}

bool FilterEditor::Confirm()
{
    DataFilter probe(m_filter.Table());
    probe.SetConditions(ShownConditions());
    try {
        (void)probe.GetWhere();
    } catch (const AppError& e) {
        ui().msgBox(e.description, int {Msg::OKOnly} | Msg::Exclamation, windowTitle());
        return false;
    }
    m_filter.SetConditions(probe.Conditions());
    accept();
    return true;
}

void FilterEditor::SaveAs(const QString& name)
{
    if (name.isEmpty() || name.contains(u'|')) {
        ui().msgBox(QStringLiteral("Nome del filtro non valido"), int {Msg::OKOnly} | Msg::Exclamation, windowTitle());
        return;
    }
    DataFilter probe(m_filter.Table());
    probe.SetConditions(ShownConditions());
    try {
        (void)probe.GetWhere();
    } catch (const AppError& e) {
        ui().msgBox(e.description, int {Msg::OKOnly} | Msg::Exclamation, windowTitle());
        return;
    }
    m_filter.SetConditions(probe.Conditions());
    m_filter.Save(name);
    fillSavedNames();
    m_cboSaved->setCurrentText(name);
}

bool FilterEditor::LoadSaved(const QString& name)
{
    DataFilter probe(m_filter.Table());
    if (!probe.LoadSaved(name)) return false;
    ShowConditions(probe.Conditions());
    return true;
}

void FilterEditor::DeleteSaved(const QString& name)
{
    if (m_filter.DeleteSaved(name)) fillSavedNames();
}

QString FilterEditor::answerPrompt() const
{
    QStringList names;
    for (const auto& [name, caption] : m_fields) names << name;
    return windowTitle() + QStringLiteral(": Campo<op>valore<TAB>... (") + names.join(QStringLiteral(", ")) + u')';
}

void FilterEditor::applyAnswer(const QString& answer)
{
    std::vector<FilterCondition> conditions = ShownConditions();
    bool replaced = false;
    QString saveAs;
    for (const QString& item : answer.split(u'\t', Qt::SkipEmptyParts)) {
        const QString t = item.trimmed();
        if (t.startsWith(QLatin1String("@save="), Qt::CaseInsensitive)) {
            saveAs = t.mid(6).trimmed();
            continue;
        }
        if (t.compare(QLatin1String("@none"), Qt::CaseInsensitive) == 0) {
            conditions.clear();
            replaced = true;
            continue;
        }
        if (t.startsWith(QLatin1String("@load="), Qt::CaseInsensitive)) {
            DataFilter probe(m_filter.Table());
            if (!probe.LoadSaved(t.mid(6).trimmed())) {
                ui().msgBox(QStringLiteral("Un filtro con questo nome non è presente!"), int {Msg::OKOnly});
                return;
            }
            conditions = probe.Conditions();
            replaced = true;
            continue;
        }
        auto c = parseCondition(t);
        if (!c) {
            ui().msgBox(QStringLiteral("Condizione non valida: ") + t, int {Msg::OKOnly} | Msg::Exclamation,
                        windowTitle());
            return;
        }
        if (!replaced) conditions.clear();
        replaced = true;
        conditions.push_back(*c);
    }
    ShowConditions(conditions);
    if (!saveAs.isEmpty()) SaveAs(saveAs);
    Confirm();
}

bool FilterEditor::Edit(DataFilter& filter, const QString& title, QWidget* owner)
{
    FilterEditor editor(filter, title, owner);
    return editor.runModal();
}
