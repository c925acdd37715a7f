#include "RowEditor.h"
#include "base/AppError.h"
#include "objdb/CurrencyInfo.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "FieldEditors.h"
#include "ObjDataGrid.h"
#include "objdb/ObjDbError.h"
#include "PickRowDialog.h"
#include "RowEditorParts.h"
#include "RuleMessages.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool truthy(const QVariant& v)
{
    if (v.userType() == QMetaType::Bool) return v.toBool();
    const QString t = v.toString().trimmed().toLower();
    return t == u"true" || t == u"-1" || t == u"1" || t == u"vero" || t == u"si" || t == u"sì";
}

// A whole number handed for a reference is the key (OID) of the row it points to; a text is
// what the operator would type in its box.
bool isRowKey(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return true;
    default: return false;
    }
}

// The text a reference shows: its display fields of the row it points to.
QString displayText(TableData& row, const ReferenceDefinition& ref)
{
    auto target = row.GetReference(ref.Name);
    if (target->IsEOF()) return QString();
    QStringList parts;
    for (const QString& f : ref.DisplayFields.split(u',', Qt::SkipEmptyParts))
        if (target->HasField(f.trimmed()) && !target->IsFieldEmpty(f.trimmed())) parts << target->GetText(f.trimmed());
    return parts.join(QStringLiteral(" - "));
}
}

RowEditor::RowEditor(TableData& data, RowEditorOptions options, QWidget* parent)
    : ModalDialog(parent), m_data(data), m_options(std::move(options))
{
    setObjectName(QStringLiteral("RowEditor"));
    // A box that may not be changed looks it.
    setStyleSheet(QStringLiteral(
        "QLineEdit[readOnly=\"true\"], QPlainTextEdit[readOnly=\"true\"] { background: palette(window); }"));
    m_table = data.GetTable();
    m_parentTable = m_table ? m_table->Parent() : nullptr;
    Database* db = data.GetDatabase();
    m_level = db ? db->AccessLevel() : 0;
    if (db && db->GetCurrency()) m_decimals = db->GetCurrency()->Decimals();
    if (m_parentTable && m_options.disableParentIdentify && !m_options.hideParent && m_options.editable) {
        // The new parent is a row of its own until OK: its defaults come from its new-row rule.
        m_newParent = m_parentTable->Select(QStringLiteral("OID = 0"), QString(), QString(),
                                            data.GetEngine() ? data.GetEngine()->shared_from_this() : nullptr);
        RuleMessages messages(*db, [this](const QString& m, bool r) { show(m, r); });
        m_newParent->NewRow();
    }
    build();
    refresh();
}

RowEditor::~RowEditor() = default;

// --- building ---------------------------------------------------------------------------------------------

void RowEditor::build()
{
    const QString caption = m_table ? m_table->Caption() : m_data.tableName();
    setWindowTitle(!m_options.caption.isEmpty() ? m_options.caption
                       : m_data.IsNewRow()      ? QStringLiteral("Nuovo - ") + caption
                                                : caption);
    auto* page = new QWidget;
    auto* pageBox = new QVBoxLayout(page);
    const bool parentFirst = m_parentTable && !m_options.invertParent;
    if (parentFirst) addParentPart(pageBox);
    addOwnPart(pageBox);
    if (m_parentTable && !parentFirst) addParentPart(pageBox);
    addListPart(pageBox);
    pageBox->addStretch(1);

    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(page);
    m_lblMessage = new QLabel(this);
    m_lblMessage->setObjectName(QStringLiteral("lblMessage"));
    m_lblMessage->setWordWrap(true);
    m_lblMessage->setStyleSheet(QStringLiteral("color: #b00000"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(m_options.editable);
    auto* box = new QVBoxLayout(this);
    box->addWidget(scroll, 1);
    box->addWidget(m_lblMessage);
    box->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Save(); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });

    resize(620, std::min(760, page->sizeHint().height() + 110));
    QWidget* start = nullptr;
    if (FieldEditor* e = Editor(m_options.startField))
        start = e->focusTarget();
    else if (ReferenceBox* r = Reference(m_options.startField))
        start = r->focusTarget();
    if (start) start->setFocus();
}

void RowEditor::addOwnPart(QVBoxLayout* page)
{
    if (!m_table) return;
    auto* group = new QGroupBox(m_table->Caption(), this);
    auto* form = new QFormLayout(group);
    page->addWidget(group);
    // In the table's column order, then the rest as declared.
    QStringList names = m_table->ColumnOrder().split(u',', Qt::SkipEmptyParts);
    for (QString& n : names) n = n.trimmed();
    for (const FieldDefinition& f : m_table->Fields())
        if (!names.contains(f.Name, Qt::CaseInsensitive)) names << f.Name;
    for (const ReferenceDefinition& r : m_table->References())
        if (!names.contains(r.Name, Qt::CaseInsensitive)) names << r.Name;

    for (const QString& name : names) {
        if (const FieldDefinition* f = m_table->GetField(name)) {
            if (f->O2 > m_level) continue;   // not for this operator's eyes
            FieldSlot slot;
            slot.name = f->Name;
            slot.def = f;
            // A value the data set computes in the field's place is shown, not changed.
            slot.editable = m_options.editable && f->O1 <= m_level && m_data.GetFieldInfo(f->Name).Editable;
            slot.editor = MakeFieldEditor(*f, m_decimals, group).release();
            slot.editor->setReadOnly(!slot.editable);
            slot.editor->setToolTip(f->Description);
            form->addRow(f->Name, slot.editor);
            m_order << f->Name;
            m_fields.push_back(slot);
            const QString fieldName = f->Name;
            connect(slot.editor, &FieldEditor::committed, this, [this, fieldName] {
                if (FieldSlot* s = fieldSlot(fieldName); s && !m_refreshing) commitField(*s);
            });
            continue;
        }
        const ReferenceDefinition* r = m_table->GetReference(name);
        if (!r || r->IsList) continue;
        RefSlot slot;
        slot.name = r->Name;
        slot.def = r;
        slot.editable = m_options.editable;
        slot.keyField = ReferenceKeyField(m_data, *r);
        slot.box = new ReferenceBox(slot.keyField, group);
        slot.box->setReadOnly(!slot.editable);
        slot.box->setToolTip(r->Description);
        form->addRow(r->Name, slot.box);
        m_order << r->Name;
        m_refs.push_back(slot);
        const QString refName = r->Name;
        connect(slot.box, &ReferenceBox::keyTyped, this, [this, refName] {
            if (RefSlot* s = refSlot(refName); s && !m_refreshing) commitReference(*s);
        });
        connect(slot.box, &ReferenceBox::pickAsked, this, [this, refName] {
            if (RefSlot* s = refSlot(refName)) pickReference(*s);
        });
    }
}

void RowEditor::addParentPart(QVBoxLayout* page)
{
    if (!m_parentTable || m_options.hideParent) return;
    auto* group = new QGroupBox(m_parentTable->Caption(), this);
    auto* form = new QFormLayout(group);
    page->addWidget(group);
    const bool newParent = m_newParent != nullptr;
    if (!newParent) {
        // The parent is one of the stored rows, chosen by its key; its fields are only shown
        // here (they are its own, not the line's).
        m_parentKey = new ReferenceBox(m_parentTable->GetKeyField(), group);
        m_parentKey->setReadOnly(!m_options.editable);
        form->addRow(m_parentTable->GetKeyField().isEmpty() ? m_parentTable->Caption() : m_parentTable->GetKeyField(),
                     m_parentKey);
        m_order << (m_parentTable->GetKeyField().isEmpty() ? m_parentTable->Name() : m_parentTable->GetKeyField());
        connect(m_parentKey, &ReferenceBox::keyTyped, this, [this] {
            if (!m_refreshing) commitParentKey();
        });
        connect(m_parentKey, &ReferenceBox::pickAsked, this, [this] { pickParent(); });
    }
    for (const FieldDefinition& f : m_parentTable->Fields()) {
        if (f.O2 > m_level) continue;
        if (!newParent && same(f.Name, m_parentTable->GetKeyField())) continue;
        const FieldDefinition* def = m_parentTable->GetField(f.Name);
        FieldSlot slot;
        slot.name = def->Name;
        slot.level = 1;
        slot.def = def;
        slot.editable = newParent && m_options.editable && def->O1 <= m_level;
        slot.editor = MakeFieldEditor(*def, m_decimals, group).release();
        slot.editor->setReadOnly(!slot.editable);
        slot.editor->setToolTip(def->Description);
        form->addRow(def->Name, slot.editor);
        m_order << def->Name;
        m_fields.push_back(slot);
        const QString fieldName = def->Name;
        connect(slot.editor, &FieldEditor::committed, this, [this, fieldName] {
            if (FieldSlot* s = fieldSlot(fieldName); s && !m_refreshing) commitField(*s);
        });
    }
}

void RowEditor::addListPart(QVBoxLayout* page)
{
    if (!m_table) return;
    for (const ReferenceDefinition& r : m_table->References()) {
        if (!r.IsList) continue;
        const ReferenceDefinition* def = m_table->GetReference(r.Name);
        auto* group = new QGroupBox(r.Name, this);
        group->setToolTip(r.Description);
        auto* box = new QVBoxLayout(group);
        // The lines of a document belong to its own window; a plain list is changed here.
        const bool canChange = m_options.editable && !r.IsOwned;
        ListSlot slot;
        slot.name = r.Name;
        slot.def = def;
        slot.box = new ListBox(m_data.GetReference(r.Name), r.DisplayFields, canChange, group);
        box->addWidget(slot.box);
        page->addWidget(group);
        m_order << r.Name;
        m_lists.push_back(slot);
        const QString listName = r.Name;
        connect(slot.box, &ListBox::addAsked, this, [this, listName] {
            for (ListSlot& s : m_lists)
                if (s.name == listName) addToList(s);
        });
        connect(slot.box, &ListBox::removeAsked, this, [this, listName](qint64 member) {
            for (ListSlot& s : m_lists)
                if (s.name == listName) removeFromList(s, member);
        });
    }
}

// --- showing ----------------------------------------------------------------------------------------------

RowEditor::FieldSlot* RowEditor::fieldSlot(const QString& name)
{
    for (FieldSlot& s : m_fields)
        if (same(s.name, name)) return &s;
    return nullptr;
}

RowEditor::RefSlot* RowEditor::refSlot(const QString& name)
{
    for (RefSlot& s : m_refs)
        if (same(s.name, name)) return &s;
    return nullptr;
}

QStringList RowEditor::ShownNames() const { return m_order; }
bool RowEditor::Shows(const QString& name) const { return m_order.contains(name, Qt::CaseInsensitive); }

bool RowEditor::CanEdit(const QString& name) const
{
    for (const FieldSlot& s : m_fields)
        if (same(s.name, name)) return s.editable;
    for (const RefSlot& s : m_refs)
        if (same(s.name, name)) return s.editable;
    if (m_parentKey && m_parentTable && same(name, m_parentTable->GetKeyField())) return m_options.editable;
    return false;
}

FieldEditor* RowEditor::Editor(const QString& field) const
{
    for (const FieldSlot& s : m_fields)
        if (same(s.name, field)) return s.editor;
    return nullptr;
}

ReferenceBox* RowEditor::Reference(const QString& name) const
{
    for (const RefSlot& s : m_refs)
        if (same(s.name, name)) return s.box;
    return nullptr;
}

ListBox* RowEditor::List(const QString& name) const
{
    for (const ListSlot& s : m_lists)
        if (same(s.name, name)) return s.box;
    return nullptr;
}

TableData& RowEditor::sourceOf(const FieldSlot& slot) const
{
    return slot.level == 1 && m_newParent ? *m_newParent : m_data;
}

void RowEditor::refresh()
{
    m_refreshing = true;
    for (FieldSlot& s : m_fields) {
        TableData& src = sourceOf(s);
        s.editor->setValue(src.HasNoCurrentRow() ? QVariant() : src.GetValue(s.name));
    }
    for (RefSlot& s : m_refs) {
        if (m_data.HasNoCurrentRow() || !m_data.GetReferenceOID(s.name)) {
            s.box->show(QString(), QString());
            continue;
        }
        auto target = m_data.GetReference(s.name);
        const QString key
            = !s.keyField.isEmpty() && target->HasField(s.keyField) ? target->GetText(s.keyField) : QString();
        s.box->show(key, displayText(m_data, *s.def));
    }
    if (m_parentKey) {
        auto parent = m_data.HasNoCurrentRow() ? nullptr : m_data.GetParentRow();
        const QString keyField = m_parentTable->GetKeyField();
        QString key, shown;
        if (parent) {
            key = keyField.isEmpty() ? QString::number(parent->GetOID()) : parent->GetText(keyField);
            if (parent->HasField(QStringLiteral("Descrizione"))) shown = parent->GetText(QStringLiteral("Descrizione"));
        }
        m_parentKey->show(key, shown);
    }
    const bool stored = !m_data.HasNoCurrentRow() && !m_data.IsNewRow();
    for (ListSlot& s : m_lists) {
        s.box->setChangeable(stored);
        s.box->refresh();
    }
    m_refreshing = false;
}

void RowEditor::show(const QString& message, bool refusal)
{
    m_message = message;
    m_lblMessage->setText(message);
    ui().msgBox(message, int {Msg::OKOnly} | (refusal ? Msg::Exclamation : Msg::Information), windowTitle());
}

QString RowEditor::Message() const { return m_message; }

bool RowEditor::change(const std::function<void()>& step)
{
    Database* db = m_data.GetDatabase();
    RuleMessages messages(*db, [this](const QString& m, bool r) { show(m, r); });
    try {
        step();
    } catch (const AppError& e) {
        // A refusal was shown as the rule sent it; any other error is shown here.
        if (!messages.refused()) show(e.description, true);
        refresh();
        return false;
    }
    refresh();
    return !messages.refused();
}

// --- changing -----------------------------------------------------------------------------------------------

bool RowEditor::commitField(FieldSlot& slot)
{
    if (!slot.editable) return false;
    TableData& src = sourceOf(slot);
    return change([&] { src.SetValue(slot.name, slot.editor->value()); });
}

bool RowEditor::commitReference(RefSlot& slot)
{
    if (!slot.editable) return false;
    const QString key = slot.box->typedKey();
    return change([&] {
        if (key.isEmpty()) {
            m_data.SetReferenceOID(slot.name, 0);
            return;
        }
        auto candidates = m_data.GetReferenceTable(slot.name);
        if (!candidates->FindFirst(candidates->BuildCondition(slot.keyField, key)))
            throw AppError::object(
                1, m_data.tableName(),
                QStringLiteral("Nessun elemento di <%1> con %2 = %3").arg(slot.def->TargetTable, slot.keyField, key));
        m_data.SetReferenceOID(slot.name, candidates->GetOID());
    });
}

void RowEditor::pickReference(RefSlot& slot)
{
    if (!slot.editable) return;
    auto candidates = m_data.GetReferenceTable(slot.name);
    QString shown = slot.def->DisplayFields;
    if (!slot.keyField.isEmpty() && !shown.contains(slot.keyField, Qt::CaseInsensitive))
        shown = slot.keyField + u',' + shown;
    const qint64 current = m_data.GetReferenceOID(slot.name);
    auto picked = PickRowDialog::Pick(*candidates, shown, QString(), this,
                                      current ? std::optional<qint64>(current) : std::nullopt);
    if (picked) change([&] { m_data.SetReferenceOID(slot.name, *picked); });
}

bool RowEditor::commitParentKey()
{
    const QString key = m_parentKey->typedKey();
    return change([&] {
        if (!m_data.SetParentByKey(key))
            throw AppError::object(1, m_data.tableName(),
                                   QStringLiteral("Nessun elemento di <%1> con %2 = %3")
                                       .arg(m_parentTable->Name(), m_parentTable->GetKeyField(), key));
    });
}

void RowEditor::pickParent()
{
    auto candidates = m_data.SelectParentCandidates();
    const QString keyField = m_parentTable->GetKeyField();
    QString shown = keyField;
    if (m_parentTable->FieldExists(QStringLiteral("Descrizione")))
        shown += (shown.isEmpty() ? QString() : QStringLiteral(",")) + QStringLiteral("Descrizione");
    const QVariant current = m_data.GetParentKey();
    auto picked = PickRowDialog::Pick(*candidates, shown, QString(), this,
                                      current.isNull() ? std::nullopt : std::optional<qint64>(current.toLongLong()));
    if (picked) change([&] { m_data.SetParent(*picked); });
}

void RowEditor::addToList(ListSlot& slot)
{
    auto candidates = m_data.GetReferenceTable(slot.name);
    auto picked = PickRowDialog::Pick(*candidates, slot.def->DisplayFields, QString(), this);
    if (picked) change([&] { m_data.AddToList(slot.name, *picked); });
}

void RowEditor::removeFromList(ListSlot& slot, qint64 member)
{
    change([&] { m_data.RemoveFromList(slot.name, member); });
}

bool RowEditor::SetFieldText(const QString& name, const QString& text)
{
    if (FieldSlot* f = fieldSlot(name)) {
        if (!f->editable) {
            show(QStringLiteral("Il campo <%1> non è modificabile").arg(f->name), true);
            return false;
        }
        f->editor->setText(text);
        return commitField(*f);
    }
    if (RefSlot* r = refSlot(name)) {
        if (!r->editable || !r->box->typeable()) {
            show(QStringLiteral("Il campo <%1> non è modificabile").arg(r->name), true);
            return false;
        }
        r->box->setText(text);
        return commitReference(*r);
    }
    if (m_parentKey && m_parentTable && same(name, m_parentTable->GetKeyField())) {
        m_parentKey->setText(text);
        return commitParentKey();
    }
    show(QStringLiteral("Campo inesistente: ") + name, true);
    return false;
}

// A box still holding typed text when OK is pressed is taken as if it had been left.
bool RowEditor::commitPending()
{
    for (FieldSlot& f : m_fields)
        if (f.editable && f.editor->changed() && !commitField(f)) return false;
    for (RefSlot& r : m_refs)
        if (r.editable && r.box->changed() && !commitReference(r)) return false;
    if (m_parentKey && m_parentKey->changed() && !commitParentKey()) return false;
    return true;
}

bool RowEditor::Save()
{
    if (!m_options.editable) {
        reject();
        return false;
    }
    if (!commitPending()) return false;
    if (m_data.HasNoCurrentRow()) {
        show(QStringLiteral("Nessun elemento corrente"), true);
        return false;
    }
    if (m_newParent) {
        // The parent first: the line is stored under it.
        if (!change([&] { m_newParent->Update(); })) return false;
        m_newParentStored = true;
        const qint64 parent = m_newParent->GetOID();
        if (m_data.GetParentKey().toLongLong() != parent && !change([&] { m_data.SetParent(parent); })) return false;
    }
    if (m_options.store && !change([&] { m_data.Update(); })) return false;
    m_result = m_data.GetOID();
    m_newParentStored = false;
    accept();
    return true;
}

void RowEditor::reject()
{
    m_result.reset();
    if (m_options.editable && !m_data.HasNoCurrentRow()) m_data.CancelUpdate();
    // A parent made for a line that was not stored goes with it.
    if (m_newParent && m_newParentStored) {
        try {
            RuleMessages quiet(*m_data.GetDatabase(), [](const QString&, bool) {});
            m_newParent->DeleteRow();
        } catch (const AppError&) { }
    }
    ModalDialog::reject();
}

// --- answers ------------------------------------------------------------------------------------------------

QString RowEditor::answerPrompt() const
{
    QStringList editable;
    for (const FieldSlot& f : m_fields)
        if (f.editable) editable << f.name;
    for (const RefSlot& r : m_refs)
        if (r.editable && r.box->typeable()) editable << r.name;
    return windowTitle() + QStringLiteral(": Campo=valore<TAB>... (") + editable.join(QStringLiteral(", ")) + u')';
}

void RowEditor::applyAnswer(const QString& answer)
{
    for (const QString& pair : answer.split(u'\t', Qt::SkipEmptyParts)) {
        const int eq = pair.indexOf(u'=');
        if (eq <= 0) {
            show(QStringLiteral("Atteso Campo=valore: ") + pair, true);
            return;
        }
        if (!SetFieldText(pair.left(eq).trimmed(), pair.mid(eq + 1))) return;
    }
    Save();
}

// --- entry points -------------------------------------------------------------------------------------------

RowEditorOptions RowEditor::OptionsFrom(const QVariantList& presets, TableData& data, QVariantList* fieldPresets)
{
    RowEditorOptions o;
    TableObject* table = data.GetTable();
    TableObject* parent = table ? table->Parent() : nullptr;
    for (int i = 0; i + 1 < presets.size(); i += 2) {
        const QString name = presets[i].toString();
        const QVariant& value = presets[i + 1];
        if (same(name, QStringLiteral("@InvertParent@")))
            o.invertParent = truthy(value);
        else if (same(name, QStringLiteral("@DisableParentIdentify@")))
            o.disableParentIdentify = truthy(value);
        else if (parent && same(name, parent->Name()) && (value.isNull() || value.toString().isEmpty()))
            o.hideParent = true;
        else if (fieldPresets)
            *fieldPresets << name << value;
    }
    return o;
}

std::optional<qint64> RowEditor::EditRow(TableData& data, const RowEditorOptions& options, QWidget* owner)
{
    if (data.HasNoCurrentRow()) return std::nullopt;
    RowEditor editor(data, options, owner);
    editor.runModal();
    return editor.Result();
}

std::optional<qint64> RowEditor::NewRow(TableData& data, const QVariantList& presets, QWidget* owner)
{
    QVariantList fields;
    RowEditorOptions options = OptionsFrom(presets, data, &fields);
    Database* db = data.GetDatabase();
    {
        // The new row's own rule and the presets may refuse: then there is nothing to edit.
        QString refusal;
        RuleMessages messages(*db, [&](const QString& m, bool r) {
            if (r)
                refusal = m;
            else
                ui().msgBox(m, int {Msg::OKOnly} | Msg::Information);
        });
        try {
            data.NewRow();
            TableObject* table = data.GetTable();
            for (int i = 0; i + 1 < fields.size(); i += 2) {
                const QString name = fields[i].toString();
                const QVariant& value = fields[i + 1];
                const ReferenceDefinition* ref = table && !table->GetField(name) ? table->GetReference(name) : nullptr;
                if (same(name, data.GetParentLinkField()))
                    data.SetParent(value.toLongLong());
                else if (ref && !ref->IsList && isRowKey(value))
                    data.SetReferenceOID(name, value.toLongLong());
                else
                    data.SetValue(name, value);
            }
        } catch (const AppError& e) {
            if (refusal.isEmpty()) refusal = e.description;
        }
        if (!refusal.isEmpty()) {
            if (!data.HasNoCurrentRow() && data.IsNewRow()) data.CancelUpdate();
            ui().msgBox(refusal, int {Msg::OKOnly} | Msg::Exclamation);
            return std::nullopt;
        }
    }
    RowEditor editor(data, options, owner);
    editor.runModal();
    return editor.Result();
}
