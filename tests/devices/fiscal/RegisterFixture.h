#pragma once
// A simulated register on a pseudo-terminal, reached by the drivers as COM1, with waits
// short enough for tests. Each test gets fresh settings, a scripted user interface and
// no driver in use.
#include "core/configuration/DeviceSettings.h"
#include "devices/fiscal/FiscalPrinterFactory.h"
#include "HeadlessGuard.h"
#include "devices/simulators/RegisterSimulatorLine.h"
#include "devices/fiscal/SerialRegisterDriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

class FiscalTest : public ::testing::Test {
protected:
    static constexpr int kTimeoutMs = 300;

    void SetUp() override
    {
        settings().FiscalPrinterParam = FiscalPrinterSettings {};
        settings().FiscalPrinterParam.Timout = kTimeoutMs;
        settings().FiscalPrinterParam.CommandWait = 10;
    }
    void TearDown() override { InitFiscalPrinter(true); }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
};

template <typename Simulator> class RegisterTest : public FiscalTest {
protected:
    void SetUp() override
    {
        FiscalTest::SetUp();
        sim = std::make_shared<Simulator>();
        line = std::make_unique<RegisterSimulatorLine>(sim);
        settingsStore().set(QStringLiteral("Devices"), QStringLiteral("COM1"), line->devicePath());
    }
    void TearDown() override
    {
        FiscalTest::TearDown();   // the driver's port closes before the line goes
        line.reset();
    }

    // The driver of `type` on COM1, created by the factory as the program does.
    itfFiscalPrinter& start(int32_t type)
    {
        settings().FiscalPrinterParam.Type = type;
        EXPECT_TRUE(InitFiscalPrinter(false));
        return FiscalPrinter();
    }

    // The commands the register has understood, once `count` of them have come (the
    // register works on its own thread).
    QList<QByteArray> commands(qsizetype count = 0)
    {
        QElapsedTimer t;
        t.start();
        while (sim->commands().size() < count && t.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return sim->commands();
    }

    // The bytes the register has received, once `count` of them have come.
    QByteArray fromProgram(qsizetype count)
    {
        QElapsedTimer t;
        t.start();
        while (line->fromProgram().size() < count && t.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return line->fromProgram();
    }

    std::shared_ptr<Simulator> sim;
    std::unique_ptr<RegisterSimulatorLine> line;
};

// Runs `call`, which must raise AppError; gives the error back.
inline AppError raised(const std::function<void()>& call)
{
    try {
        call();
    } catch (const AppError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return AppError(0, QString(), QString());
}

inline int32_t driverError(int32_t code) { return AppError::object(code, QString(), QString()).number; }

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (const int v : values) b += char(v);
    return b;
}
