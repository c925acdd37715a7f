#include "FieldEditors.h"
#include "base/AppError.h"
#include "base/Currency.h"
#include "base/TypedNumber.h"
#include "objdb/Definitions.h"
#include "UiLocale.h"
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QToolButton>
#include <cmath>

namespace {
QHBoxLayout* tightRow(QWidget* owner)
{
    auto* row = new QHBoxLayout(owner);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    return row;
}
bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }
}

std::vector<std::pair<qint64, QString>> ValueList(const QString& name)
{
    if (name.compare(QLatin1String("SIMPLE_ACCESS"), Qt::CaseInsensitive) == 0)
        return {{0, QStringLiteral("Operatore")}, {1, QStringLiteral("Amministratore")}};
    return {};
}

std::unique_ptr<FieldEditor> MakeFieldEditor(const FieldDefinition& field, int decimals, QWidget* parent)
{
    if (!field.ValueListName.isEmpty()) {
        auto values = ValueList(field.ValueListName);
        if (!values.empty()) return std::make_unique<ListFieldEditor>(std::move(values), parent);
    }
    using S = LineFieldEditor::Shape;
    switch (field.TypeCode) {
    case FieldType::Boolean: return std::make_unique<BoolFieldEditor>(parent);
    case FieldType::Date: return std::make_unique<DateFieldEditor>(false, parent);
    case FieldType::DateTime: return std::make_unique<DateFieldEditor>(true, parent);
    case FieldType::LongText: return std::make_unique<LongTextFieldEditor>(parent);
    case FieldType::Integer: return std::make_unique<LineFieldEditor>(S::Integer, 0, decimals, parent, field.Name);
    case FieldType::Number: return std::make_unique<LineFieldEditor>(S::Number, 0, decimals, parent, field.Name);
    case FieldType::Currency: return std::make_unique<LineFieldEditor>(S::Currency, 0, decimals, parent, field.Name);
    default: return std::make_unique<LineFieldEditor>(S::Text, field.Size, decimals, parent);
    }
}

// --- one line -----------------------------------------------------------------------------------------

LineFieldEditor::LineFieldEditor(Shape shape, int maxLength, int decimals, QWidget* parent, const QString& field)
    : FieldEditor(parent), m_shape(shape), m_decimals(decimals), m_field(field), m_edit(new QLineEdit(this))
{
    tightRow(this)->addWidget(m_edit);
    if (maxLength > 0) m_edit->setMaxLength(maxLength);
    if (shape != Shape::Text) m_edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(m_edit, &QLineEdit::editingFinished, this, [this] {
        if (m_edit->text() != m_shown) emit committed();
    });
}

void LineFieldEditor::setValue(const QVariant& value)
{
    const QLocale loc = uiLocale();
    QString text;
    if (!isNull(value)) {
        switch (m_shape) {
        case Shape::Currency:
            text = value.canConvert<Currency>() && value.userType() == qMetaTypeId<Currency>()
                ? value.value<Currency>().toText(loc, m_decimals)
                : value.toString();
            break;
        case Shape::Number: text = loc.toString(value.toDouble(), 'g', 15); break;
        case Shape::Integer: text = QString::number(value.toLongLong()); break;
        case Shape::Text: text = value.toString(); break;
        }
    }
    m_shown = text;
    m_edit->setText(text);
}

QVariant LineFieldEditor::value() const
{
    const QString text = m_edit->text();
    // An empty box empties a number; an empty text stays an empty text.
    if (text.trimmed().isEmpty() && m_shape != Shape::Text) return QVariant();
    const QString t = text.trimmed();
    switch (m_shape) {
    case Shape::Currency:
        // Read as the operator wrote it, exactly: never through a double.
        if (auto c = ReadTypedAmount(t, uiLocale())) return QVariant::fromValue(*c);
        break;
    case Shape::Number:
    case Shape::Integer:
        if (auto d = ReadTypedNumber(t, uiLocale()))
            return m_shape == Shape::Integer && *d == std::floor(*d) && std::fabs(*d) < 9.2e18 ? QVariant(qint64(*d))
                                                                                               : QVariant(*d);
        break;
    case Shape::Text: return text;
    }
    // Only the operator's own form: a number in another form would be read with its marks
    // taken for others ("3.20" is 320 where "." groups thousands).
    throw AppError(AppError::kTypeMismatch, QStringLiteral("objdb"), NotATypedNumberMessage(m_field, t, uiLocale()));
}

bool LineFieldEditor::changed() const { return m_edit->text() != m_shown; }
void LineFieldEditor::setText(const QString& text) { m_edit->setText(text); }
void LineFieldEditor::setReadOnly(bool readOnly) { m_edit->setReadOnly(readOnly); }
QWidget* LineFieldEditor::focusTarget() { return m_edit; }

// --- long text ----------------------------------------------------------------------------------------

LongTextFieldEditor::LongTextFieldEditor(QWidget* parent) : FieldEditor(parent), m_edit(new QPlainTextEdit(this))
{
    tightRow(this)->addWidget(m_edit);
    m_edit->setTabChangesFocus(true);
    m_edit->setMaximumHeight(m_edit->fontMetrics().height() * 5);
    m_edit->installEventFilter(this);
}

bool LongTextFieldEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::FocusOut && m_edit->toPlainText() != m_shown) emit committed();
    return FieldEditor::eventFilter(watched, event);
}

void LongTextFieldEditor::setValue(const QVariant& value)
{
    m_shown = isNull(value) ? QString() : value.toString();
    m_edit->setPlainText(m_shown);
}
bool LongTextFieldEditor::changed() const { return m_edit->toPlainText() != m_shown; }
QVariant LongTextFieldEditor::value() const { return m_edit->toPlainText(); }
void LongTextFieldEditor::setText(const QString& text) { m_edit->setPlainText(text); }
void LongTextFieldEditor::setReadOnly(bool readOnly) { m_edit->setReadOnly(readOnly); }
QWidget* LongTextFieldEditor::focusTarget() { return m_edit; }

// --- Boolean --------------------------------------------------------------------------------------------

BoolFieldEditor::BoolFieldEditor(QWidget* parent) : FieldEditor(parent), m_check(new QCheckBox(this))
{
    tightRow(this)->addWidget(m_check);
    connect(m_check, &QCheckBox::toggled, this, [this] {
        if (!m_filling) emit committed();
    });
}

void BoolFieldEditor::setValue(const QVariant& value)
{
    m_filling = true;
    m_check->setChecked(!isNull(value) && value.toBool());
    m_filling = false;
}
QVariant BoolFieldEditor::value() const { return m_check->isChecked(); }

void BoolFieldEditor::setText(const QString& text)
{
    const QString t = text.trimmed().toLower();
    const bool on = t == u"true" || t == u"vero" || t == u"si" || t == u"sì" || t == u"yes" || t == u"1" || t == u"-1";
    m_filling = true;
    m_check->setChecked(on);
    m_filling = false;
}
void BoolFieldEditor::setReadOnly(bool readOnly) { m_check->setEnabled(!readOnly); }
QWidget* BoolFieldEditor::focusTarget() { return m_check; }

// --- dates -------------------------------------------------------------------------------------------------

DateFieldEditor::DateFieldEditor(bool withTime, QWidget* parent)
    : FieldEditor(parent), m_withTime(withTime), m_edit(new QLineEdit(this)), m_button(new QToolButton(this))
{
    auto* row = tightRow(this);
    row->addWidget(m_edit, 1);
    row->addWidget(m_button);
    m_edit->setPlaceholderText(withTime ? QStringLiteral("gg/mm/aaaa hh:mm:ss") : QStringLiteral("gg/mm/aaaa"));
    m_button->setText(QStringLiteral("..."));
    m_button->setToolTip(QStringLiteral("Calendario"));
    connect(m_edit, &QLineEdit::editingFinished, this, [this] {
        if (m_edit->text() != m_shown) emit committed();
    });
    connect(m_button, &QToolButton::clicked, this, [this] {
        QCalendarWidget* cal = calendar();
        const QDateTime shown = QDateTime::fromString(
            m_edit->text(), m_withTime ? QStringLiteral("dd/MM/yyyy HH:mm:ss") : QStringLiteral("dd/MM/yyyy"));
        cal->setSelectedDate(shown.isValid() ? shown.date() : QDate::currentDate());
        cal->move(m_button->mapToGlobal(QPoint(m_button->width() - cal->sizeHint().width(), m_button->height())));
        cal->show();
        cal->setFocus();
    });
}

QCalendarWidget* DateFieldEditor::calendar()
{
    if (m_calendar) return m_calendar;
    m_calendar = new QCalendarWidget(this);
    m_calendar->setWindowFlags(Qt::Popup);
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    connect(m_calendar, &QCalendarWidget::activated, this, [this](const QDate& d) { chooseOnCalendar(d); });
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](const QDate& d) { chooseOnCalendar(d); });
    return m_calendar;
}

void DateFieldEditor::chooseOnCalendar(const QDate& date)
{
    if (m_calendar) m_calendar->hide();
    if (m_edit->isReadOnly() || !date.isValid()) return;
    // A date-time keeps the time it had; a new one starts at midnight.
    QTime time(0, 0);
    if (m_withTime) {
        const QDateTime was = QDateTime::fromString(m_edit->text(), QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        if (was.isValid()) time = was.time();
    }
    m_edit->setText(m_withTime ? QDateTime(date, time).toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))
                               : date.toString(QStringLiteral("dd/MM/yyyy")));
    if (m_edit->text() != m_shown) emit committed();
}

void DateFieldEditor::setValue(const QVariant& value)
{
    QString text;
    if (!isNull(value)) {
        const QDateTime t = value.toDateTime();
        text
            = m_withTime ? t.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : t.toString(QStringLiteral("dd/MM/yyyy"));
    }
    m_shown = text;
    m_edit->setText(text);
}

QVariant DateFieldEditor::value() const
{
    const QString text = m_edit->text().trimmed();
    if (text.isEmpty()) return QVariant();
    return text;
}

bool DateFieldEditor::changed() const { return m_edit->text() != m_shown; }
void DateFieldEditor::setText(const QString& text) { m_edit->setText(text); }

void DateFieldEditor::setReadOnly(bool readOnly)
{
    m_edit->setReadOnly(readOnly);
    m_button->setEnabled(!readOnly);
}
QWidget* DateFieldEditor::focusTarget() { return m_edit; }

// --- value lists ----------------------------------------------------------------------------------------

ListFieldEditor::ListFieldEditor(std::vector<std::pair<qint64, QString>> values, QWidget* parent)
    : FieldEditor(parent), m_values(std::move(values)), m_combo(new QComboBox(this))
{
    tightRow(this)->addWidget(m_combo);
    for (const auto& [v, text] : m_values) m_combo->addItem(text, v);
    connect(m_combo, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling) emit committed();
    });
}

void ListFieldEditor::setValue(const QVariant& value)
{
    m_filling = true;
    m_combo->setCurrentIndex(isNull(value) ? -1 : m_combo->findData(value.toLongLong()));
    m_filling = false;
}

QVariant ListFieldEditor::value() const
{
    const int i = m_combo->currentIndex();
    return i < 0 ? QVariant() : m_combo->itemData(i);
}

void ListFieldEditor::setText(const QString& text)
{
    int i = m_combo->findText(text.trimmed(), Qt::MatchFixedString);
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (i < 0 && ok) i = m_combo->findData(v);
    m_filling = true;
    m_combo->setCurrentIndex(i);
    m_filling = false;
}

void ListFieldEditor::setReadOnly(bool readOnly) { m_combo->setEnabled(!readOnly); }
QWidget* ListFieldEditor::focusTarget() { return m_combo; }
