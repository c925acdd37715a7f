#pragma once
// Registers driven through their maker's software, played by the scripted fakes: the
// driver of a type created by the factory as the program does, and what it called.
#include "devices/simulators/RegisterComponentFakes.h"
#include "RegisterFixture.h"

class ComponentTest : public FiscalTest {
protected:
    itfFiscalPrinter& start(int32_t type, const QString& settings = QStringLiteral("9600,n,8,1"))
    {
        ::settings().FiscalPrinterParam.Type = type;
        ::settings().FiscalPrinterParam.COMPortParam = settings;
        EXPECT_TRUE(InitFiscalPrinter(false));
        return FiscalPrinter();
    }
    // The lines the fakes logged since the last call, for calls named `name` only when given.
    QStringList calls(const QString& name = QString())
    {
        QStringList out;
        for (const QString& c : fakes.calls()) {
            if (name.isEmpty() || c.startsWith(name + u'(')) out << c;
        }
        return out;
    }
    // The commands handed to an RCH component.
    QStringList commands()
    {
        QStringList out;
        for (const QString& c : calls(QStringLiteral("RCHSend"))) out << c.section(u'"', 3, 3);
        return out;
    }

    FakeRegisterComponents fakes;
};
