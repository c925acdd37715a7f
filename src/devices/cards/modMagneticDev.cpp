#include "modMagneticDev.h"
#include "base/AppError.h"
#include "core/configuration/DeviceSettings.h"
#include "devices/codefilter/ScriptCodeFilter.h"
#include "core/helpers/SystemHelpers.h"
#include "clsMSR106.h"
#include "clsMSR206HL.h"
#include <QVariantList>
#include <algorithm>
#include <memory>

namespace {
std::unique_ptr<itfMagneticCard>& device()
{
    static std::unique_ptr<itfMagneticCard> driver;
    return driver;
}
}

bool InitMagneticDevice(bool release)
{
    device().reset();
    if (release) return true;

    const MagneticDevSettings& s = settings().MagneticDevParam;
    std::unique_ptr<itfMagneticCard> driver;
    QVariantList params {s.COMPortNumber, s.COMPortParam};
    switch (s.Type) {
    case MagneticDevType::MSR106: driver = std::make_unique<clsMSR106>(); break;
    case MagneticDevType::MSR206HLHigh:
    case MagneticDevType::MSR206HLLow:
        driver = std::make_unique<clsMSR206HL>();
        params.append(s.Type == MagneticDevType::MSR206HLLow);
        break;
    case MagneticDevType::KeyboardEmulation: return true;
    default: return false;
    }
    driver->SetParameters(params);
    device() = std::move(driver);
    return true;
}

bool MagneticDeviceExists() { return device() != nullptr; }

itfMagneticCard& objMagneticDevice()
{
    if (!device())
        throw AppError::object(AppError::kGenericCode, AppTitle(),
                               QStringLiteral("Nessun dispositivo per carte magnetiche attivo."));
    return *device();
}

bool IsMagneticDevConfigured()
{
    return settings().MagneticDevParam.COMPortNumber >= 1
        || settings().MagneticDevParam.Type == MagneticDevType::KeyboardEmulation;
}

bool DeviceSupportsWrite()
{
    if (settings().MagneticDevParam.COMPortNumber < 1) return false;
    if (device()) return device()->SupportWrite();
    InitMagneticDevice(false);
    // Keyboard emulation and unknown types give no driver, and nothing that writes.
    const bool writes = device() && device()->SupportWrite();
    InitMagneticDevice(true);
    return writes;
}

ScriptCodeFilter& CodeFilterInUse()
{
    static ScriptCodeFilter filter({QStringLiteral("CodeFilter"),
                                    QStringLiteral("Errore in esecuzione del filtro codice carta: "),
                                    [] { return settings().MagneticDevParam.VBFilterScript; }});
    return filter;
}

QString ApplyCodeFilter(const QString& code, const QString& script) { return CodeFilterInUse().Apply(code, script); }

QString ExtractCardCode(const QString& raw, const QString& prefix, bool reverse)
{
    QString code = ApplyCodeFilter(raw);
    if (code.isEmpty()) return QString();
    bool sentinel = false;
    if (code.startsWith(u'%') || code.startsWith(u';')) {
        code.remove(0, 1);
        sentinel = true;
    }
    if (code.endsWith(u'_') || code.endsWith(u'?')) {
        code.chop(1);
        sentinel = true;
    }
    if (reverse && sentinel) std::reverse(code.begin(), code.end());
    if (!prefix.isEmpty()) {
        if (code.left(prefix.size()).toUpper() == prefix.toUpper())
            code.remove(0, prefix.size());
        else
            code.clear();
    }
    return code;
}
