#include "MagneticCardOperation.h"
#include "core/configuration/DeviceSettings.h"
#include "clsMagneticCardEvents.h"
#include "itfMagneticCard.h"
#include "modMagneticDev.h"

namespace {
const QString kReadComplete = QStringLiteral("OnReadComplete");
const QString kWriteComplete = QStringLiteral("OnWriteComplete");
}

MagneticCardOperation::MagneticCardOperation() = default;

MagneticCardOperation::~MagneticCardOperation()
{
    try {
        Finish();
    } catch (...) {
        // Nothing can be reported from here; the driver is gone either way.
    }
}

bool MagneticCardOperation::KeyboardEmulation() const
{
    return settings().MagneticDevParam.Type == MagneticDevType::KeyboardEmulation;
}

bool MagneticCardOperation::HasDriver() const { return MagneticDeviceExists(); }

QString MagneticCardOperation::PrepareRead(const QString& prefix, bool reverse)
{
    m_code.clear();
    m_result = false;
    m_completion.clear();
    m_holdsDriver = true;
    InitMagneticDevice(false);
    m_operation = Pending::Read;
    m_prefix = prefix;
    m_reverse = reverse;
    QString message = QStringLiteral("Lettura del Codice dalla Carta...");
    if (!prefix.isEmpty()) message += QStringLiteral("\rPrefisso: ") + prefix;
    return message;
}

QString MagneticCardOperation::PrepareWrite(const QString& code, const QString& prefix, const QString& data2,
                                            bool reverse)
{
    m_result = false;
    m_completion.clear();
    m_holdsDriver = true;
    InitMagneticDevice(false);
    m_code = code;
    m_secondText = data2;
    m_operation = Pending::Write;
    m_prefix = prefix;
    m_reverse = reverse;
    return QStringLiteral("Scrittura del Codice nella Carta...\r\rCODICE: < ") + code + QStringLiteral(" >");
}

void MagneticCardOperation::Activate()
{
    if (!KeyboardEmulation() && !m_events) {
        m_events = std::make_unique<clsMagneticCardEvents>();
        connect(m_events.get(), &clsMagneticCardEvents::OnReadComplete, this,
                [this](bool success, const QString& data1, const QString& data2, const QString&) {
                    m_completion = kReadComplete;
                    m_result = success;
                    m_code = data1;
                    m_secondText = data2;
                });
        connect(m_events.get(), &clsMagneticCardEvents::OnWriteComplete, this, [this](bool success, const QString&) {
            m_completion = kWriteComplete;
            m_result = success;
        });
    }
    const Pending operation = std::exchange(m_operation, Pending::None);
    if (!MagneticDeviceExists()) return;
    if (operation == Pending::Read) {
        objMagneticDevice().NewSession(m_events.get());
        StartRead();
    } else if (operation == Pending::Write) {
        objMagneticDevice().NewSession(m_events.get());
        StartWrite();
    }
}

void MagneticCardOperation::StartRead()
{
    QString unusedData1, unusedData2;
    objMagneticDevice().ReadData(false, m_reverse, unusedData1, unusedData2);
}

void MagneticCardOperation::StartWrite()
{
    objMagneticDevice().WriteData(m_prefix + m_code, m_secondText, m_reverse, false);
}

void MagneticCardOperation::Tick()
{
    if (!MagneticDeviceExists() || m_completion.isEmpty()) return;
    const QString completion = std::exchange(m_completion, QString());
    if (completion == kWriteComplete) {
        if (m_result) {
            emit CloseRequested();
            return;
        }
        // A failed write is tried again, with the same text, until it goes or the
        // operator gives up.
        emit TryAgain();
        objMagneticDevice().CancelSession();
        StartWrite();
    } else if (completion == kReadComplete && m_result) {
        if (AcceptReadCode()) emit CloseRequested();
    }
    // A failed read is dropped: the operator swipes again after cancelling, or cancels.
}

bool MagneticCardOperation::TakeCode(bool reverse)
{
    m_code = ExtractCardCode(m_code, m_prefix, reverse);
    if (!m_code.isEmpty()) return true;
    emit TryAgain();
    return false;
}

bool MagneticCardOperation::AcceptReadCode()
{
    // A driver has already reversed the card text; a typed code is reversed here.
    if (TakeCode(KeyboardEmulation() ? m_reverse : false)) return true;
    if (!MagneticDeviceExists()) {
        emit KeyBoxReset();
    } else {
        objMagneticDevice().CancelSession();
        StartRead();
    }
    return false;
}

namespace {
QString withoutTrailingBlanks(QString code)
{
    while (!code.isEmpty() && code.back() == u' ') code.chop(1);
    return code;
}
}

bool MagneticCardOperation::TypedCode(const QString& text)
{
    m_code = withoutTrailingBlanks(text);
    if (m_code.isEmpty()) {
        emit CloseRequested();
        return true;
    }
    if (!AcceptReadCode()) return false;
    emit CloseRequested();
    return true;
}

bool MagneticCardOperation::AnsweredCode(const QString& text)
{
    m_code = withoutTrailingBlanks(text);
    if (!m_code.isEmpty() && !TakeCode(m_reverse)) return false;
    emit CloseRequested();
    return true;
}

void MagneticCardOperation::AnsweredWrite(bool written)
{
    m_result = written;
    if (written)
        emit CloseRequested();
    else
        emit TryAgain();
}

void MagneticCardOperation::Finish()
{
    m_completion.clear();
    m_operation = Pending::None;
    if (!std::exchange(m_holdsDriver, false)) return;
    struct Release {
        MagneticCardOperation* self;
        ~Release()
        {
            InitMagneticDevice(true);
            self->m_events.reset();
        }
    } release {this};
    if (MagneticDeviceExists()) objMagneticDevice().CancelSession();
}
