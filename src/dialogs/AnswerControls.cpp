#include "AnswerControls.h"
#include "core/configuration/Configuration.h"
#include "base/UiServices.h"
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>
#include <QWidget>
#include <optional>

namespace answers {

namespace {

bool refuse(const QString& text)
{
    ui().msgBox(text, int(Msg::OKOnly) + int(Msg::Exclamation), g_strMsgTitle);
    return false;
}

std::optional<bool> tick(const QString& value)
{
    const QString v = value.trimmed();
    if (v == u'1' || v.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) return true;
    if (v == u'0' || v.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

bool setList(QComboBox& list, const QString& name, const QString& value)
{
    if (list.isEditable()) {
        if (list.lineEdit() && list.lineEdit()->maxLength() < value.size()) return RefuseValue(value, name);
        list.setCurrentText(value);
        return true;
    }
    const int item = list.findText(value, Qt::MatchFixedString);
    if (item < 0) return refuse(QStringLiteral("\"%1\" non è tra le scelte di \"%2\".").arg(value, name));
    list.setCurrentIndex(item);
    return true;
}

bool setBox(QLineEdit& box, const QString& name, const QString& value)
{
    if (box.isReadOnly()) return RefuseFixed(name);
    QString typed = value;
    int at = 0;
    if (value.size() > box.maxLength()
        || (box.validator() && box.validator()->validate(typed, at) == QValidator::Invalid))
        return RefuseValue(value, name);
    box.setText(value);
    return true;
}

bool setButton(QAbstractButton& button, const QString& name, const QString& value)
{
    const std::optional<bool> on = tick(value);
    // An option is chosen, never cleared: another option of its group clears it.
    if (!button.isCheckable() || !on || (!*on && qobject_cast<QRadioButton*>(&button))) return RefuseValue(value, name);
    button.setChecked(*on);
    return true;
}

}   // namespace

bool RefuseValue(const QString& value, const QString& name)
{
    return refuse(QStringLiteral("\"%1\" non è un valore valido per \"%2\".").arg(value, name));
}

bool RefuseFixed(const QString& name)
{
    return refuse(QStringLiteral("Il campo \"%1\" non è modificabile.").arg(name));
}

QStringList Controls(const QWidget& window)
{
    QStringList lines;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (control->objectName().isEmpty()) continue;
        QString value, kind;
        if (auto* list = qobject_cast<const QComboBox*>(control)) {
            QStringList choices;
            for (int i = 0; i < list->count(); ++i) choices << list->itemText(i);
            value = list->currentText();
            kind = (list->isEditable() ? QStringLiteral("editable list: ") : QStringLiteral("list: "))
                + choices.join(QStringLiteral(" | "));
        } else if (auto* box = qobject_cast<const QLineEdit*>(control)) {
            if (qobject_cast<const QComboBox*>(box->parentWidget())) continue;   // a list's own box
            value = box->text();
            kind = box->isReadOnly() ? QStringLiteral("box, read-only") : QStringLiteral("box");
        } else if (auto* button = qobject_cast<const QAbstractButton*>(control); button && button->isCheckable()) {
            value = button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
            kind = qobject_cast<const QRadioButton*>(button) ? QStringLiteral("option") : QStringLiteral("tick box");
        } else {
            continue;
        }
        if (!control->isEnabled()) kind += QStringLiteral(", disabled");
        lines << control->objectName() + u'=' + value + u'\t' + kind;
    }
    return lines;
}

QString Command(const QString& line) { return line.section(u'\t', 0, 0).trimmed(); }

bool IsCommand(const QString& line, const QString& word)
{
    return Command(line).compare(word, Qt::CaseInsensitive) == 0;
}

bool FillControls(QWidget& window, const QString& line)
{
    const QStringList fields = line.split(u'\t');
    for (qsizetype i = 1; i < fields.size(); ++i) {
        const QString& pair = fields.at(i);
        const qsizetype equals = pair.indexOf(u'=');
        if (equals <= 0) return refuse(QStringLiteral("\"%1\" non è nella forma campo=valore.").arg(pair));
        const QString name = pair.left(equals).trimmed();
        const QString value = pair.mid(equals + 1);
        auto* control = window.findChild<QWidget*>(name);
        if (!control) return refuse(QStringLiteral("La finestra non ha il campo \"%1\".").arg(name));
        // A person can change neither a disabled control nor one the window keeps hidden.
        if (!control->isEnabled() || !control->isVisibleTo(&window)) return RefuseFixed(name);
        bool set = false;
        if (auto* list = qobject_cast<QComboBox*>(control))
            set = setList(*list, name, value);
        else if (auto* box = qobject_cast<QLineEdit*>(control))
            set = setBox(*box, name, value);
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            set = setButton(*button, name, value);
        else
            set = refuse(QStringLiteral("Il campo \"%1\" non si imposta da una risposta.").arg(name));
        if (!set) return false;
    }
    return true;
}

QAbstractButton* Button(QWidget& window, const QString& line)
{
    const QString caption = Command(line);
    if (caption.isEmpty()) return nullptr;
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (QString(b->text()).remove(u'&').compare(caption, Qt::CaseInsensitive) == 0) return b;
    return nullptr;
}

bool Press(QAbstractButton& button)
{
    if (!button.isEnabled() || !button.isVisibleTo(button.window()))
        return refuse(QStringLiteral("Il pulsante \"%1\" non è attivo.").arg(QString(button.text()).remove(u'&')));
    button.click();
    return true;
}

}   // namespace answers
