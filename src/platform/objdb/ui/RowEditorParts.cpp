#include "RowEditorParts.h"
#include "objdb/Definitions.h"
#include "ObjDataGrid.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

QString ReferenceKeyField(TableData& row, const ReferenceDefinition& ref)
{
    if (!ref.KeyField.isEmpty()) return ref.KeyField;
    TableObject* target = row.GetTable(ref.TargetTable);
    return target ? target->GetKeyField() : QString();
}

ReferenceBox::ReferenceBox(const QString& keyField, QWidget* parent) : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    if (!keyField.isEmpty()) {
        m_key = new QLineEdit(this);
        m_key->setToolTip(keyField);
        m_key->setMaximumWidth(140);
        row->addWidget(m_key);
        connect(m_key, &QLineEdit::editingFinished, this, [this] {
            if (changed()) emit keyTyped();
        });
    }
    m_display = new QLabel(this);
    m_display->setFrameShape(QFrame::StyledPanel);
    m_display->setMinimumWidth(160);
    m_display->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(m_display, 1);
    m_pick = new QToolButton(this);
    m_pick->setText(QStringLiteral("..."));
    m_pick->setToolTip(QStringLiteral("Seleziona"));
    row->addWidget(m_pick);
    connect(m_pick, &QToolButton::clicked, this, [this] { emit pickAsked(); });
}

void ReferenceBox::show(const QString& keyText, const QString& displayText)
{
    m_shown = keyText;
    if (m_key) m_key->setText(keyText);
    m_display->setText(displayText);
}

QString ReferenceBox::typedKey() const { return m_key ? m_key->text().trimmed() : QString(); }
bool ReferenceBox::changed() const { return m_key && m_key->text().trimmed() != m_shown; }
void ReferenceBox::setText(const QString& key)
{
    if (m_key) m_key->setText(key);
}
void ReferenceBox::setReadOnly(bool readOnly)
{
    if (m_key) m_key->setReadOnly(readOnly);
    m_pick->setEnabled(!readOnly);
}
QWidget* ReferenceBox::focusTarget() { return m_key ? static_cast<QWidget*>(m_key) : m_pick; }

ListBox::ListBox(std::unique_ptr<TableData> members, const QString& shownFields, bool canChange, QWidget* parent)
    : QWidget(parent), m_members(std::move(members))
{
    m_grid = new ObjDataGrid(this, QStringLiteral("dgList"));
    auto layout = std::make_shared<GridLayout>();
    layout->SetFieldSequence(shownFields);
    m_grid->BindLayout(layout);
    m_grid->SetDataSet(m_members.get());
    m_grid->setMinimumHeight(110);
    auto* box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_grid, 1);
    if (canChange) {
        auto* buttons = new QVBoxLayout;
        m_add = new QPushButton(QStringLiteral("&Aggiungi..."), this);
        m_remove = new QPushButton(QStringLiteral("&Togli"), this);
        buttons->addWidget(m_add);
        buttons->addWidget(m_remove);
        buttons->addStretch(1);
        box->addLayout(buttons);
        connect(m_add, &QPushButton::clicked, this, [this] { emit addAsked(); });
        connect(m_remove, &QPushButton::clicked, this, [this] {
            if (auto b = m_grid->Bookmark())
                emit removeAsked(*b);
            else
                ui().beep();
        });
    }
}

ListBox::~ListBox()
{
    // The grid reads through the members' data set: let it go first.
    m_grid->Detach();
}

void ListBox::setChangeable(bool on)
{
    if (m_add) m_add->setEnabled(on);
    if (m_remove) m_remove->setEnabled(on);
}

void ListBox::refresh() { m_grid->Refresh(); }
