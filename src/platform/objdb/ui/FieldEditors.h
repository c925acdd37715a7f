#pragma once
// The typed editors of the row editor: text (with its declared length), long text, integer,
// number, amount (shown with the database currency's decimals, read through Currency, never
// through a double), date and date-time (typed or chosen on a calendar), Boolean (a check
// box) and value lists (a choice among named values). An editor shows the field's value and
// gives back what the operator typed; the library converts and checks it when it is set.
#include <QString>
#include <QVariant>
#include <QWidget>
#include <memory>

struct FieldDefinition;
class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

class FieldEditor : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    // The field's value as the data set holds it (Null: empty).
    virtual void setValue(const QVariant& value) = 0;
    // What to set in the field: typed text (the library converts it), a number read in the
    // operator's form, a bool, or Null. A number typed in no form the operator uses raises
    // AppError naming the field.
    virtual QVariant value() const = 0;
    // The text an answer line gives, as if typed.
    virtual void setText(const QString& text) = 0;
    virtual void setReadOnly(bool readOnly) = 0;
    // The widget that takes the focus.
    virtual QWidget* focusTarget() = 0;
    // Typed over and not committed yet (a box that still has the focus when OK is pressed).
    virtual bool changed() const { return false; }

signals:
    // The operator finished a change (left the box, ticked, chose).
    void committed();
};

// The editor of a field of this type; `decimals` is the database currency's.
std::unique_ptr<FieldEditor> MakeFieldEditor(const FieldDefinition& field, int decimals, QWidget* parent = nullptr);

// The values of a value list: (stored value, text shown). "SIMPLE_ACCESS": the access levels.
std::vector<std::pair<qint64, QString>> ValueList(const QString& name);

class LineFieldEditor : public FieldEditor {
    Q_OBJECT
public:
    bool changed() const override;
    enum class Shape { Text, Integer, Number, Currency };
    // `field`: the name a refusal of the typed text gives.
    LineFieldEditor(Shape shape, int maxLength, int decimals, QWidget* parent = nullptr,
                    const QString& field = QString());
    void setValue(const QVariant& value) override;
    QVariant value() const override;
    void setText(const QString& text) override;
    void setReadOnly(bool readOnly) override;
    QWidget* focusTarget() override;
    QLineEdit* lineEdit() const { return m_edit; }

private:
    Shape m_shape;
    int m_decimals;
    QString m_field;
    QLineEdit* m_edit;
    QString m_shown;   // the text last shown, to tell a change from a visit
};

class LongTextFieldEditor : public FieldEditor {
    Q_OBJECT
public:
    bool changed() const override;
    explicit LongTextFieldEditor(QWidget* parent = nullptr);
    void setValue(const QVariant& value) override;
    QVariant value() const override;
    void setText(const QString& text) override;
    void setReadOnly(bool readOnly) override;
    QWidget* focusTarget() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* m_edit;
    QString m_shown;
};

class BoolFieldEditor : public FieldEditor {
    Q_OBJECT
public:
    explicit BoolFieldEditor(QWidget* parent = nullptr);
    void setValue(const QVariant& value) override;
    QVariant value() const override;
    void setText(const QString& text) override;
    void setReadOnly(bool readOnly) override;
    QWidget* focusTarget() override;
    QCheckBox* checkBox() const { return m_check; }

private:
    QCheckBox* m_check;
    bool m_filling = false;
};

class DateFieldEditor : public FieldEditor {
    Q_OBJECT
public:
    bool changed() const override;
    DateFieldEditor(bool withTime, QWidget* parent = nullptr);
    void setValue(const QVariant& value) override;
    QVariant value() const override;
    void setText(const QString& text) override;
    void setReadOnly(bool readOnly) override;
    QWidget* focusTarget() override;
    // The calendar the button opens (created on first use).
    QCalendarWidget* calendar();
    void chooseOnCalendar(const QDate& date);

private:
    bool m_withTime;
    QLineEdit* m_edit;
    QToolButton* m_button;
    QCalendarWidget* m_calendar = nullptr;
    QString m_shown;
};

class ListFieldEditor : public FieldEditor {
    Q_OBJECT
public:
    ListFieldEditor(std::vector<std::pair<qint64, QString>> values, QWidget* parent = nullptr);
    void setValue(const QVariant& value) override;
    QVariant value() const override;
    void setText(const QString& text) override;   // the value or its text
    void setReadOnly(bool readOnly) override;
    QWidget* focusTarget() override;

private:
    std::vector<std::pair<qint64, QString>> m_values;
    QComboBox* m_combo;
    bool m_filling = false;
};
