#include "EditFieldDialog.h"
#include "base/AppError.h"
#include "objdb/CurrencyInfo.h"
#include "objdb/Database.h"
#include "FieldEditors.h"
#include "RuleMessages.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The declaration of a field of the row's table or of its parent's.
const FieldDefinition* declared(TableData& row, const QString& field)
{
    for (TableObject* t = row.GetTable(); t; t = t->Parent())
        if (const FieldDefinition* f = t->GetField(field)) return f;
    return nullptr;
}
}

EditFieldDialog::EditFieldDialog(TableData& row, const QString& field, const QString& title, bool store,
                                 QWidget* parent)
    : ModalDialog(parent), m_row(row), m_field(field), m_store(store)
{
    setObjectName(QStringLiteral("EditFieldDialog"));
    setWindowTitle(title.isEmpty() ? field : title);
    Database* db = row.GetDatabase();
    const int level = db->AccessLevel();
    const int decimals = db->GetCurrency() ? db->GetCurrency()->Decimals() : 2;
    const FieldDefinition* def = declared(row, field);
    FieldDefinition plain;
    plain.Name = field;
    m_editor = MakeFieldEditor(def ? *def : plain, decimals, this).release();
    m_editable = !def || def->O1 <= level;
    m_editor->setReadOnly(!m_editable);
    m_editor->setValue(row.HasNoCurrentRow() ? QVariant() : row.GetValue(field));
    m_editor->setMinimumWidth(240);
    m_lblMessage = new QLabel(this);
    m_lblMessage->setWordWrap(true);
    m_lblMessage->setStyleSheet(QStringLiteral("color: #b00000"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    auto* form = new QFormLayout;
    form->addRow(field, m_editor);
    auto* box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addWidget(m_lblMessage);
    box->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    m_editor->focusTarget()->setFocus();
}

void EditFieldDialog::show(const QString& message, bool refusal)
{
    m_lblMessage->setText(message);
    ui().msgBox(message, int {Msg::OKOnly} | (refusal ? Msg::Exclamation : Msg::Information), windowTitle());
}

bool EditFieldDialog::Confirm()
{
    if (!m_editable) {
        reject();
        return false;
    }
    RuleMessages messages(*m_row.GetDatabase(), [this](const QString& m, bool r) { show(m, r); });
    try {
        m_row.SetValue(m_field, m_editor->value());
        if (messages.refused()) return false;
        if (m_store) m_row.Update();
    } catch (const AppError& e) {
        if (!messages.refused()) show(e.description, true);
        return false;
    }
    if (messages.refused()) return false;
    accept();
    return true;
}

void EditFieldDialog::reject()
{
    if (m_editable && !m_row.HasNoCurrentRow() && m_row.IsChanged()) m_row.CancelUpdate();
    ModalDialog::reject();
}

QString EditFieldDialog::answerPrompt() const { return windowTitle() + QStringLiteral(": ") + m_field; }

void EditFieldDialog::applyAnswer(const QString& answer)
{
    m_editor->setText(answer);
    Confirm();
}

bool EditFieldDialog::Edit(TableData& row, const QString& field, const QString& title, bool store, QWidget* owner)
{
    const FieldDefinition* def = declared(row, field);
    if (row.HasNoCurrentRow() || (def && def->O2 > row.GetDatabase()->AccessLevel())) {
        ui().msgBox(QStringLiteral("Campo non disponibile: ") + field, int {Msg::OKOnly} | Msg::Exclamation);
        return false;
    }
    EditFieldDialog dialog(row, field, title, store, owner);
    return dialog.runModal();
}
