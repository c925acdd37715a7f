#pragma once
// The program's surroundings for the main-window tests: a working folder with (when asked)
// the shop database open in the program's globals, the configuration at its defaults over a
// settings store in memory, questions answered from a script, errors collected instead of
// shown, the clock on 12 March 2007 (a Monday). Everything is put back afterwards.
#include "HeadlessGuard.h"
#include "objdb/TableData.h"
#include <QStringList>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <ostream>

class MainWindowShop : public ::testing::Test {
protected:
    MainWindowShop();
    ~MainWindowShop() override;

    QString databasePath() const { return workDir + QStringLiteral("/Mirtavolia.mdb"); }
    // Creates the shop database in the working folder and opens it into g_objDatabase and
    // g_objDBEngine, with `operatorName` logged in at the level stored for that operator.
    void openShop(const QString& operatorName = QStringLiteral("Amministratore"));
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString());

    void answer(std::initializer_list<const char*> lines);
    bool answersLeft() const { return prompts->hasAnswers(); }
    QStringList messageBoxes() const;   // the texts, without "MSGBOX: "
    QStringList log() const { return prompts->log(); }

    testenv::HeadlessGuard headless;
    std::shared_ptr<ManualClock> clock = headless.useManualClock(QDateTime(QDate(2007, 3, 12), QTime(9, 0)));
    std::shared_ptr<ScriptedUiServices> prompts = headless.ui;
    std::shared_ptr<MemorySettingsStore> settings = headless.settings;
    QStringList shownErrors;   // what ShowErrorDetails would have shown in its window
    QString workDir;
};
