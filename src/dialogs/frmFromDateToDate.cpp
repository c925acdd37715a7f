#include "frmFromDateToDate.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "FormUtilities.h"
#include "base/UiServices.h"
#include "WindowRegistry.h"
#include <QCalendarWidget>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

QString period::DateText(const QDate& date)
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    // Digits only, and a four-digit year: a two-digit year would not read back as the
    // same date.
    if (format.contains(QStringLiteral("MMM"))) format = QStringLiteral("dd/MM/yyyy");
    if (!format.contains(QStringLiteral("yyyy"))) format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return QLocale().toString(date, format);
}

std::optional<QDate> period::ReadDateText(const QString& text) { return config::ReadDate(text); }

period::Check period::Validate(const QString& fromText, const QString& toText)
{
    Check c;
    const std::optional<QDate> from = ReadDateText(fromText);
    if (!from) {
        c.error = QStringLiteral("La data di inizio periodo non è valida.");
        return c;
    }
    const std::optional<QDate> to = ReadDateText(toText);
    if (!to) {
        c.error = QStringLiteral("La data di fine periodo non è valida.");
        return c;
    }
    c.from = *from;
    c.to = *to;
    return c;
}

frmFromDateToDate::frmFromDateToDate(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmFromDateToDate"));
    setWindowTitle(QStringLiteral("Selezione Periodo"));

    auto calendar = [this](const char* name) {
        auto* c = new QCalendarWidget(this);
        c->setObjectName(QString::fromLatin1(name));
        c->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        c->setGridVisible(true);
        return c;
    };
    auto dateBox = [this](const char* name) {
        auto* t = new QLineEdit(this);
        t->setObjectName(QString::fromLatin1(name));
        t->setMaximumWidth(t->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00000")) + 12);
        t->installEventFilter(this);
        return t;
    };
    m_calFromData = calendar("calFromData");
    m_calToData = calendar("calToData");
    m_txtFromDate = dateBox("txtFromDate");
    m_txtToDate = dateBox("txtToDate");
    auto* lblFrom = new QLabel(QStringLiteral("&Da Data:"), this);
    lblFrom->setBuddy(m_txtFromDate);
    auto* lblTo = new QLabel(QStringLiteral("&A Data:"), this);
    lblTo->setBuddy(m_txtToDate);
    m_cmdSet = new QPushButton(QStringLiteral("&Imposta"), this);
    m_cmdSet->setObjectName(QStringLiteral("cmdSet"));
    m_cmdSet->setDefault(true);

    auto* grid = new QGridLayout(this);
    auto* fromRow = new QHBoxLayout;
    fromRow->addWidget(lblFrom);
    fromRow->addWidget(m_txtFromDate);
    fromRow->addStretch(1);
    auto* toRow = new QHBoxLayout;
    toRow->addWidget(lblTo);
    toRow->addWidget(m_txtToDate);
    toRow->addStretch(1);
    grid->addLayout(fromRow, 0, 0);
    grid->addLayout(toRow, 0, 1);
    grid->addWidget(m_calFromData, 1, 0);
    grid->addWidget(m_calToData, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSet);
    grid->addLayout(buttons, 2, 0, 1, 2);

    connect(m_calFromData, &QCalendarWidget::clicked, this,
            [this](QDate d) { m_txtFromDate->setText(period::DateText(d)); });
    connect(m_calToData, &QCalendarWidget::clicked, this,
            [this](QDate d) { m_txtToDate->setText(period::DateText(d)); });
    connect(m_cmdSet, &QPushButton::clicked, this, [this] { confirm(); });

    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    const QDate today = appClock().today();
    for (QCalendarWidget* c : {m_calFromData, m_calToData}) c->setSelectedDate(today);
    for (QLineEdit* t : {m_txtFromDate, m_txtToDate}) t->setText(period::DateText(today));
    adjustSize();
}

bool frmFromDateToDate::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::FocusOut && (watched == m_txtFromDate || watched == m_txtToDate)) {
        auto* box = static_cast<QLineEdit*>(watched);
        if (const std::optional<QDate> d = period::ReadDateText(box->text()))
            (box == m_txtFromDate ? m_calFromData : m_calToData)->setSelectedDate(*d);
    }
    return QDialog::eventFilter(watched, e);
}

void frmFromDateToDate::confirm()
{
    const period::Check c = period::Validate(m_txtFromDate->text(), m_txtToDate->text());
    if (!c.error.isEmpty()) {
        ui().msgBox(c.error, Msg::Critical, g_strMsgTitle);
        return;
    }
    m_fromDate = c.from;
    m_toDate = c.to;
    m_confirmed = true;
    accept();
}

void frmFromDateToDate::Prepare(const std::optional<QDate>& from, const std::optional<QDate>& to, int32_t top,
                                int32_t left)
{
    m_confirmed = false;
    adjustSize();
    PlaceWindowTwips(this, top, left);
    const QDate today = appClock().today();
    const QDate f = from && from->isValid() ? *from : today;
    const QDate t = to && to->isValid() ? *to : today;
    m_calFromData->setSelectedDate(f);
    m_txtFromDate->setText(period::DateText(f));
    m_calToData->setSelectedDate(t);
    m_txtToDate->setText(period::DateText(t));
}

bool frmFromDateToDate::SetDate(std::optional<QDate>& from, std::optional<QDate>& to, int32_t top, int32_t left)
{
    Prepare(from, to, top, left);
    runModal();
    if (!m_confirmed) return false;
    from = m_fromDate;
    to = m_toDate;
    return true;
}

void frmFromDateToDate::applyAnswer(const QString& answer)
{
    if (!answer.isEmpty()) {
        m_txtFromDate->setText(answer.section(u'\t', 0, 0));
        m_txtToDate->setText(answer.section(u'\t', 1, 1));
    }
    confirm();
}

MV_REGISTER_WINDOW(frmFromDateToDate);
