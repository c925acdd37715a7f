#include "frmDateSetting.h"
#include "frmFromDateToDate.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "FormUtilities.h"
#include "WindowRegistry.h"
#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

frmDateSetting::frmDateSetting(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmDateSetting"));
    setWindowTitle(QStringLiteral("Impostazione della data"));

    m_calTimeSetting = new QCalendarWidget(this);
    m_calTimeSetting->setObjectName(QStringLiteral("calTimeSetting"));
    m_calTimeSetting->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calTimeSetting->setGridVisible(true);
    m_cmdSetting = new QPushButton(QStringLiteral("&Imposta"), this);
    m_cmdSetting->setObjectName(QStringLiteral("cmdSetting"));
    m_cmdSetting->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSetting);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_calTimeSetting);
    layout->addLayout(buttons);

    connect(m_cmdSetting, &QPushButton::clicked, this, [this] { confirm(); });
    // A double click (or Enter) on a day confirms it at once.
    connect(m_calTimeSetting, &QCalendarWidget::activated, this, [this](QDate day) {
        m_calTimeSetting->setSelectedDate(day);
        confirm();
    });

    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_calTimeSetting->setSelectedDate(appClock().today());
    adjustSize();
}

void frmDateSetting::confirm()
{
    m_chosenDate = m_calTimeSetting->selectedDate();
    m_confirmed = true;
    accept();
}

void frmDateSetting::Prepare(const std::optional<QDate>& date, int32_t top, int32_t left)
{
    m_confirmed = false;
    m_chosenDate = QDate();
    adjustSize();
    PlaceWindowTwips(this, top, left);
    m_calTimeSetting->setSelectedDate(date && date->isValid() ? *date : appClock().today());
}

std::optional<QDate> frmDateSetting::SetDate(const std::optional<QDate>& date, int32_t top, int32_t left)
{
    Prepare(date, top, left);
    runModal();
    if (m_confirmed) return m_chosenDate;
    return std::nullopt;
}

QString frmDateSetting::answerPrompt() const { return period::DateText(m_calTimeSetting->selectedDate()); }

void frmDateSetting::applyAnswer(const QString& answer)
{
    if (!answer.trimmed().isEmpty()) {
        const std::optional<QDate> typed = period::ReadDateText(answer);
        if (!typed) {
            reject();
            return;
        }
        m_calTimeSetting->setSelectedDate(*typed);
    }
    confirm();
}

MV_REGISTER_WINDOW(frmDateSetting);
