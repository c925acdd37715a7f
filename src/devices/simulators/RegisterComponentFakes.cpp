#include "RegisterComponentFakes.h"
#include "devices/fiscal/RegisterComponents.h"

#include <QHash>
#include <QPointer>
#include <QTimer>
#include <deque>

struct FakeRegisterComponents::State {
    QStringList calls;
    std::function<void(const QString&)> observer;
    QHash<QString, std::deque<int32_t>> answers;
    std::deque<std::optional<int32_t>> reports;
    Delivery delivery = Delivery::Later;
    int32_t resultCode = 0;
    int32_t resultCodeExtended = 0;
    QString deviceDescription = QStringLiteral("RCH Nucleo (simulato)");
    QHash<QString, std::deque<AppError>> failures;

    void log(const QString& line)
    {
        calls << line;
        if (observer) observer(line);
    }
    int32_t answer(const QString& call, int32_t success)
    {
        auto it = answers.find(call);
        if (it == answers.end() || it->empty()) return success;
        const int32_t result = it->front();
        it->pop_front();
        return result;
    }
    std::optional<AppError> failure(const QString& call)
    {
        auto it = failures.find(call);
        if (it == failures.end() || it->empty()) return std::nullopt;
        AppError e = it->front();
        it->pop_front();
        return e;
    }
    std::optional<int32_t> report()
    {
        if (reports.empty()) return 1010;
        const std::optional<int32_t> status = reports.front();
        reports.pop_front();
        return status;
    }
};

namespace {
using State = FakeRegisterComponents::State;

QString quoted(const QString& text) { return u'"' + text + u'"'; }
QString boolText(bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); }
QString call(const QString& name, const QStringList& args, int32_t result)
{
    return QStringLiteral("%1(%2) = %3").arg(name, args.join(QStringLiteral(", "))).arg(result);
}
// A call whose whole effect is its queued (or successful) answer and one log line.
int32_t answeredCall(State& s, const QString& name, const QStringList& args, int32_t success = 0)
{
    const int32_t result = s.answer(name, success);
    s.log(call(name, args, result));
    return result;
}

class FakeRchEcr final : public RchEcrComponent {
public:
    explicit FakeRchEcr(std::shared_ptr<State> s) : m_s(std::move(s)) { }

    void setMode(int mode) override { m_s->log(QStringLiteral("Mode = %1").arg(mode)); }
    void setModello(int model) override
    {
        m_model = model;
        m_s->log(QStringLiteral("Modello = %1").arg(model));
    }
    int modello() const override { return m_model; }
    void setCommPort(int port) override { m_s->log(QStringLiteral("CommPort = %1").arg(port)); }
    void setBaudRate(int code) override { m_s->log(QStringLiteral("BaudRate = %1").arg(code)); }
    void setParity(int parity) override { m_s->log(QStringLiteral("Parity = %1").arg(parity)); }
    void setDataBits(int code) override { m_s->log(QStringLiteral("DataBits = %1").arg(code)); }
    int32_t RCHOpen() override { return answeredCall(*m_s, QStringLiteral("RCHOpen"), {}, 1001); }
    void RCHClose() override { m_s->log(QStringLiteral("RCHClose()")); }
    int32_t RCHSend(const QString& function, QStringList& data, const QString& extra) override
    {
        const int32_t result = m_s->answer(QStringLiteral("RCHSend"), 1001);
        QStringList items;
        for (const QString& d : data) items << quoted(d);
        const QString line
            = call(QStringLiteral("RCHSend"),
                   {quoted(function), u'[' + items.join(QStringLiteral(", ")) + u']', quoted(extra)}, result);
        if (result != 1001) {
            m_s->log(line);
            return result;
        }
        const std::optional<int32_t> status = m_s->report();
        if (status && m_s->delivery == FakeRegisterComponents::Delivery::DuringSend) {
            report(*status);
            m_s->log(line);
        } else {
            m_s->log(line);
            if (status) {
                QPointer<FakeRchEcr> self(this);
                const int32_t value = *status;
                QTimer::singleShot(0, this, [self, value] {
                    if (self) self->report(value);
                });
            }
        }
        return result;
    }

private:
    void report(int32_t status)
    {
        m_s->log(QStringLiteral("RCHResult(mStatus = %1)").arg(status));
        emit ObjectEvent(QStringLiteral("RCHResult"), {{QStringLiteral("mStatus"), status}});
    }

    std::shared_ptr<State> m_s;
    int m_model = 0;
};

class FakeRchNucleo final : public RchNucleoComponent {
public:
    explicit FakeRchNucleo(std::shared_ptr<State> s) : m_s(std::move(s)) { }

    QString DeviceDescription() const override { return m_s->deviceDescription; }
    int32_t RCHOpen(const QString& port) override
    {
        return answeredCall(*m_s, QStringLiteral("RCHOpen"), {quoted(port)});
    }
    void RCHClose() override { m_s->log(QStringLiteral("RCHClose()")); }
    void setAsyncMode(bool async) override { m_s->log(QStringLiteral("AsyncMode = ") + boolText(async)); }
    int32_t BeginFiscalReceipt(bool print) override
    {
        return answeredCall(*m_s, QStringLiteral("BeginFiscalReceipt"), {boolText(print)});
    }
    int32_t PrintRecItem(const QString& description, Currency amount, int32_t quantity, int16_t vatInfo,
                         Currency unitPrice) override
    {
        return answeredCall(*m_s, QStringLiteral("PrintRecItem"),
                            {quoted(description), amount.toString(), QString::number(quantity),
                             QString::number(vatInfo), unitPrice.toString()});
    }
    int32_t PrintRecRefund(const QString& description, Currency amount) override
    {
        return answeredCall(*m_s, QStringLiteral("PrintRecRefund"), {quoted(description), amount.toString()});
    }
    int32_t PrintRecTotal(int16_t total, int16_t payment, const QString& description) override
    {
        return answeredCall(*m_s, QStringLiteral("PrintRecTotal"),
                            {QString::number(total), QString::number(payment), quoted(description)});
    }
    int32_t EndFiscalReceipt(bool print) override
    {
        return answeredCall(*m_s, QStringLiteral("EndFiscalReceipt"), {boolText(print)});
    }
    int32_t PrintRecVoid() override { return answeredCall(*m_s, QStringLiteral("PrintRecVoid"), {}); }
    int32_t ResultCode() const override { return m_s->resultCode; }
    int32_t ResultCodeExtended() const override { return m_s->resultCodeExtended; }

private:
    std::shared_ptr<State> m_s;
};

class FakeElaLine final : public ElaLineComponent {
public:
    explicit FakeElaLine(std::shared_ptr<State> s) : m_s(std::move(s)) { }

    bool CommOpen() const override { return m_open; }
    void setCommOpen(bool open) override
    {
        m_open = open;
        m_s->log(QStringLiteral("CommOpen = ") + boolText(open));
    }
    void setCommPort(int port) override { m_s->log(QStringLiteral("CommPort = %1").arg(port)); }
    void setCommSettings(const QString& settings) override
    {
        m_s->log(QStringLiteral("CommSettings = ") + quoted(settings));
    }
    void setHwHandshaking(bool on) override { m_s->log(QStringLiteral("HwHandshaking = ") + boolText(on)); }

private:
    std::shared_ptr<State> m_s;
    bool m_open = false;
};

class FakeElaFiscal final : public ElaFiscalComponent {
public:
    explicit FakeElaFiscal(std::shared_ptr<State> s) : m_s(std::move(s)) { }

    void setStampaDifferita(bool deferred) override
    {
        m_s->log(QStringLiteral("StampaDifferita = ") + boolText(deferred));
    }
    void setTimeout(int16_t ms) override { m_s->log(QStringLiteral("Timeout = %1").arg(ms)); }
    int32_t DevOpen(ElaLineComponent& line) override
    {
        return answeredCall(*m_s, QStringLiteral("DevOpen"),
                            {line.CommOpen() ? QStringLiteral("line open") : QStringLiteral("line closed")});
    }
    int32_t DevClose() override { return answeredCall(*m_s, QStringLiteral("DevClose"), {}); }
    int32_t Fisc_Apertura() override { return answeredCall(*m_s, QStringLiteral("Fisc_Apertura"), {}); }
    int32_t Vendita(const QString& amount, const QString& description, const QString& extra) override
    {
        return answeredCall(*m_s, QStringLiteral("Vendita"), {quoted(amount), quoted(description), quoted(extra)});
    }
    int32_t Pagamento(const QString& amount, const QString& kind) override
    {
        return answeredCall(*m_s, QStringLiteral("Pagamento"), {quoted(amount), quoted(kind)});
    }
    int32_t Fisc_Chiusura() override { return answeredCall(*m_s, QStringLiteral("Fisc_Chiusura"), {}); }
    int32_t Fisc_Annullamento() override { return answeredCall(*m_s, QStringLiteral("Fisc_Annullamento"), {}); }

private:
    std::shared_ptr<State> m_s;
};

class FakeSidDdeLink final : public SidDdeLink {
public:
    explicit FakeSidDdeLink(std::shared_ptr<State> s) : m_s(std::move(s)) { }

    void Open(const QString& application, const QString& topic) override
    {
        run(QStringLiteral("Open"), QStringLiteral("Open(%1, %2)").arg(quoted(application), quoted(topic)));
    }
    void Execute(const QString& command) override
    {
        run(QStringLiteral("Execute"), QStringLiteral("Execute(%1)").arg(quoted(command)));
    }

private:
    void run(const QString& name, const QString& line)
    {
        if (const auto e = m_s->failure(name)) {
            m_s->log(line + QStringLiteral(" -> error %1").arg(e->number));
            throw *e;
        }
        m_s->log(line);
    }
    std::shared_ptr<State> m_s;
};
}

FakeRegisterComponents::FakeRegisterComponents() : m_state(std::make_shared<State>())
{
    const std::shared_ptr<State> s = m_state;
    RegisterComponentBackends b;
    b.rchEcr = [s](const QString&) { return std::make_unique<FakeRchEcr>(s); };
    b.rchNucleo = [s](const QString&) { return std::make_unique<FakeRchNucleo>(s); };
    b.elaFiscal = [s](const QString&) { return std::make_unique<FakeElaFiscal>(s); };
    b.elaLine = [s](const QString&) { return std::make_unique<FakeElaLine>(s); };
    b.sidDde = [s](const QString&) { return std::make_unique<FakeSidDdeLink>(s); };
    setRegisterComponentBackends(std::move(b));
}

FakeRegisterComponents::~FakeRegisterComponents() { setRegisterComponentBackends(); }

QStringList FakeRegisterComponents::calls() const { return m_state->calls; }
void FakeRegisterComponents::clearCalls() { m_state->calls.clear(); }
void FakeRegisterComponents::setObserver(std::function<void(const QString&)> observer)
{
    m_state->observer = std::move(observer);
}
void FakeRegisterComponents::answerNext(const QString& call, int32_t result)
{
    m_state->answers[call].push_back(result);
}
void FakeRegisterComponents::reportNext(std::optional<int32_t> status) { m_state->reports.push_back(status); }
void FakeRegisterComponents::setReportDelivery(Delivery delivery) { m_state->delivery = delivery; }
void FakeRegisterComponents::setResultCodes(int32_t code, int32_t extended)
{
    m_state->resultCode = code;
    m_state->resultCodeExtended = extended;
}
void FakeRegisterComponents::setDeviceDescription(const QString& description)
{
    m_state->deviceDescription = description;
}
void FakeRegisterComponents::failNext(const QString& call, const AppError& error)
{
    m_state->failures[call].push_back(error);
}
