#pragma once
// The program as a person starts it: no answer file, the real windows on the offscreen
// platform, its working database in the user's data folder. The shop file is made before the
// start with a few articles, a customer and a supplier, the operator "Amministratore" guarded by a
// password; a test lists the person's steps and runs the program, which ends once the steps
// are done; the file is then read as it was left.
#include "Person.h"
#include <QProcess>
#include <QString>
#include <QVariant>
#include <gtest/gtest.h>

namespace testshop {
class ShopBuilder;
}

class CounterProgram : public ::testing::Test {
protected:
    CounterProgram();
    ~CounterProgram() override;

    static constexpr const char* kPassword = "banco7";

    // The program in a process of its own, for what only a process can suffer (a kill): this
    // executable running the test `test` on this test's shop. The caller owns the process.
    static QProcess* startChild(const QString& test);
    // True in such a child.
    static bool isChild();
    // Reads the child's output until that line came; false (the test failed) when it ended before.
    static bool waitForLine(QProcess& child, const QByteArray& line, int timeoutMs = 30000);

    // Runs the program to the end of the person's steps; its exit status.
    int runProgram(int timeoutMs = 20000);

    // The first column of a query on the working file, as it stands.
    QVariantList column(const QString& sql) const;
    QVariant value(const QString& sql) const { return column(sql).value(0); }

    // The delivery file of the supplier "Grossista Nord", read by its delivery layout.
    QString deliveryFile() const;
    QString dataFolder() const { return m_data; }
    QString databasePath() const { return m_data + QStringLiteral("/Mirtavolia.mdb"); }

    // The steps every run begins with: the operator's password typed into its window.
    void logIn();

    Person person;

private:
    void addDeliveryLayout(testshop::ShopBuilder& shop, qint64 supplier);

    static constexpr const char* kParentConfig = "MIRTAVOLIA_PERSON_CONFIG_HOME";
    static constexpr const char* kParentData = "MIRTAVOLIA_PERSON_DATA_HOME";
    QString m_data;
};
