#include "PickRowDialog.h"
#include "base/AppError.h"
#include "ObjDataGrid.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

PickRowDialog::PickRowDialog(TableData& rows, const QString& shownFields, const QString& title, QWidget* parent)
    : ModalDialog(parent), m_rows(rows)
{
    setObjectName(QStringLiteral("PickRowDialog"));
    TableObject* table = rows.GetTable();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Seleziona - ") + (table ? table->Caption() : rows.tableName())
                                   : title);

    m_grid = new ObjDataGrid(this, QStringLiteral("dgPick"));
    auto layout = std::make_shared<GridLayout>();
    layout->SetFieldSequence(shownFields);
    m_grid->BindLayout(layout);
    m_grid->SetDataSet(&rows);
    m_txtSearch = new QLineEdit(this);
    m_txtSearch->setObjectName(QStringLiteral("txtSearch"));
    const QStringList shown = m_grid->ShownFields();
    m_searchField = shown.value(0);
    m_txtSearch->setPlaceholderText(m_searchField.isEmpty() ? QString() : QStringLiteral("Cerca in ") + m_searchField);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel(QStringLiteral("Cerca:"), this));
    searchRow->addWidget(m_txtSearch, 1);
    auto* box = new QVBoxLayout(this);
    box->addLayout(searchRow);
    box->addWidget(m_grid, 1);
    box->addWidget(buttons);

    connect(m_txtSearch, &QLineEdit::textEdited, this, [this](const QString& t) { search(t); });
    connect(m_grid, &ObjDataGrid::DblClick, this, [this] {
        if (PickCurrent()) accept();
    });
    connect(m_grid, &ObjDataGrid::KeyDown, this, [this](int key, Qt::KeyboardModifiers, bool* consumed) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
        *consumed = true;
        if (PickCurrent()) accept();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (PickCurrent())
            accept();
        else
            ui().beep();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(560, 400);
}

PickRowDialog::~PickRowDialog() = default;

void PickRowDialog::search(const QString& text)
{
    if (m_searchField.isEmpty() || text.isEmpty()) return;
    auto finder = m_rows.Clone();
    try {
        if (finder->FindFirst(finder->BuildCondition(m_searchField, text, QStringLiteral("*"))))
            m_grid->SetBookmark(finder->GetOID());
    } catch (const AppError&) {
        // A text that does not fit the column (letters in a number) finds nothing.
    }
}

bool PickRowDialog::PickCurrent()
{
    const auto b = m_grid->Bookmark();
    if (!b || !m_rows.MoveToOID(*b)) return false;
    m_picked = *b;
    return true;
}

bool PickRowDialog::PickKey(const QString& key)
{
    const QString text = key.trimmed();
    if (text.startsWith(u'#')) {
        bool ok = false;
        const qint64 oid = text.mid(1).toLongLong(&ok);
        if (!ok || !m_rows.MoveToOID(oid)) return false;
        m_picked = oid;
        return true;
    }
    TableObject* table = m_rows.GetTable();
    const QString keyField = table ? table->GetKeyField() : QString();
    bool found = false;
    try {
        if (!keyField.isEmpty())
            found = m_rows.FindKey(text);
        else if (!m_searchField.isEmpty())
            found = m_rows.FindFirst(m_rows.BuildCondition(m_searchField, text));
    } catch (const AppError&) {
        found = false;
    }
    if (!found) return false;
    m_picked = m_rows.GetOID();
    return true;
}

QString PickRowDialog::answerPrompt() const
{
    TableObject* table = m_rows.GetTable();
    const QString keyField = table ? table->GetKeyField() : QString();
    return windowTitle() + QStringLiteral(": ") + (keyField.isEmpty() ? m_searchField : keyField);
}

void PickRowDialog::applyAnswer(const QString& answer)
{
    if (!PickKey(answer)) {
        ui().msgBox(QStringLiteral("Nessun elemento corrisponde a \"%1\"").arg(answer.trimmed()),
                    int {Msg::OKOnly} | Msg::Exclamation, windowTitle());
        return;
    }
    accept();
}

std::optional<qint64> PickRowDialog::Pick(TableData& rows, const QString& shownFields, const QString& title,
                                          QWidget* owner, std::optional<qint64> current)
{
    const qint64 before = rows.GetOID();
    PickRowDialog dialog(rows, shownFields, title, owner);
    if (current)
        dialog.m_grid->SetBookmark(*current);
    else if (before)
        dialog.m_grid->SetBookmark(before);
    if (dialog.runModal() && dialog.m_picked) return dialog.m_picked;
    // Cancelled: the data set stands where it stood.
    if (before && rows.GetOID() != before) (void)rows.MoveToOID(before);
    return std::nullopt;
}
