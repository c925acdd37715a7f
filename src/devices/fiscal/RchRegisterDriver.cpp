#include "RchRegisterDriver.h"
#include "base/Clock.h"
#include "core/configuration/DeviceSettings.h"
#include "modRCH.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

namespace {
const QString kResultEvent = QStringLiteral("RCHResult");
const QString kStatusParameter = QStringLiteral("mStatus");
const QString kSendFunction = QStringLiteral("100");

// Runs the event loop (the component's events come through it) until `done` holds or
// `timeoutMs` pass on the program's clock.
bool waitWithEvents(const std::function<bool()>& done, int timeoutMs)
{
    const int64_t start = appClock().monotonicMs();
    auto expired = [&] { return appClock().monotonicMs() - start >= timeoutMs; };
    if (!QCoreApplication::instance()) {
        while (!done()) {
            if (expired()) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(2);
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start();
    while (!done()) {
        if (expired()) return false;
        loop.exec();
    }
    return true;
}
}

RchRegisterDriver::RchRegisterDriver(const QString& description, int model, Keys keys)
    : m_comm(createRchEcrComponent(description)), m_keys(keys)
{
    m_comm->setObjectName(QStringLiteral("objRCHEcr"));
    QObject::connect(m_comm.get(), &RchEcrComponent::ObjectEvent, m_comm.get(),
                     [this](const QString& event, const QVariantMap& parameters) { OnRchResult(event, parameters); });
    m_comm->setMode(1);
    m_comm->setModello(model);
}

RchRegisterDriver::~RchRegisterDriver() = default;

void RchRegisterDriver::SetParameters(const QVariantList& params)
{
    if (params.size() < 2) throw AppError(9, FiscalPrinterDescription(), QStringLiteral("Subscript out of range"));
    m_comm->RCHClose();
    m_comm->setCommPort(params.at(0).toInt());
    m_comm->setBaudRate(params.at(1).toInt());
}

bool RchRegisterDriver::IsInProgress(int32_t status) const
{
    return status == RchStatus::None || status == RchStatus::Ok || status == RchStatus::Accepted;
}

void RchRegisterDriver::OnRchResult(const QString& event, const QVariantMap& parameters)
{
    if (event == kResultEvent) m_reported = parameters.value(kStatusParameter).toInt();
}

bool RchRegisterDriver::RchSendCommand(const QString& command)
{
    m_reported = RchStatus::None;
    QStringList data {command, QString()};
    m_status = m_comm->RCHSend(kSendFunction, data, QString());
    if (m_status != RchStatus::Accepted) return false;
    return RchWaitResult();
}

bool RchRegisterDriver::RchWaitResult()
{
    const bool reported
        = waitWithEvents([this] { return !IsInProgress(m_reported); }, settings().FiscalPrinterParam.Timout);
    if (!reported) {
        m_status = RchStatus::Timeout;
        return false;
    }
    m_status = m_reported;
    return IsCompleted(m_status);
}

void RchRegisterDriver::RaiseDriverError() const
{
    throw AppError::object(m_status, FiscalPrinterDescription(), RchStatusText(m_status));
}

QString RchRegisterDriver::KeyOfChar(QChar c) const
{
    if (c == u',' || c == u'.') return KeyCode(m_keys.separator);
    return KeyCode(m_keys.digitZero + (c.unicode() - u'0'));
}

QString RchRegisterDriver::DepartmentKey(int department) const { return KeyCode(m_keys.departmentZero + department); }

QString RchRegisterDriver::AmountKeys(const QString& amount) const
{
    QString keys;
    for (const QChar c : amount) keys += KeyOfChar(c);
    return keys;
}

void RchRegisterDriver::NewSession(int16_t decimals)
{
    m_decimals = decimals;
    m_status = m_comm->RCHOpen();
    if (m_status != RchStatus::Accepted) RaiseDriverError();
    if (!RchSendCommand(KeyCode(m_keys.sessionKey))) RaiseDriverError();
}

void RchRegisterDriver::EndSession()
{
    if (!RchSendCommand(KeyCode(m_keys.endKey))) RaiseDriverError();
    m_comm->RCHClose();
}

void RchRegisterDriver::CancelSession()
{
    if (!RchSendCommand(KeyCode(m_keys.sessionKey))) RaiseDriverError();
    m_comm->RCHClose();
}
