#pragma once
// A shop with a working folder and a backup folder for the save and restore tests: the
// working database open in the program's globals, the configuration's folders pointing at
// the two folders, questions answered from a script, settings in memory, the clock on
// 10 March 2007. Everything is put back afterwards.
#include "operations/BackupRestore.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "HeadlessGuard.h"
#include "ShopBuilder.h"
#include "objdb/TableData.h"
#include "TestEnvironment.h"
#include <QDateTime>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// What a run showed in its progress window.
class RecordingProgress : public BackupProgress {
public:
    void Show(const QString& text) override { shown << text; }
    itfProgress* Target() override { return nullptr; }
    void Close() override { ++closed; }
    QStringList shown;
    int closed = 0;
};

class BackupShop : public ::testing::Test {
protected:
    BackupShop();
    ~BackupShop() override;

    QString workingPath() const { return m_shop.path(); }
    QString backupPath() const { return m_backup + QStringLiteral("/Mirtavolia.mdb"); }
    QString rootDir() const { return m_shop.dir(); }
    const QString& backupDir() const { return m_backup; }
    Database& db() { return m_shop.db(); }
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString());

    // Rows made through the table rules.
    qint64 addArticle(const QString& code, double stock);
    qint64 addCustomer(const QString& code);
    // A sale of `quantity` of the article at `when` (for the customer when given), completed or not.
    qint64 sale(const QDateTime& when, bool completed, const QString& article, double quantity, qint64 customer = 0);
    qint64 supply(const QDateTime& when, bool completed, const QString& article, double quantity);
    qint64 receipt(const QDate& when, qint64 saleOid);

    // One run on the shop's files with the script's answers.
    BackupRestore::Outcome run(const BackupRequest& request, const QStringList& answers = {});
    BackupRestore backupRestore();

    // What a file holds, read beside the program's own connection.
    QList<qint64> oids(const QString& path, const QString& table, const QString& condition = QString());
    QVariant value(const QString& path, const QString& jetSql);
    double stock(const QString& code);
    QString stored(const QString& backupKey) const { return settings->get("Backup", backupKey, QString()); }
    qint64 points(qint64 customer);

    testenv::HeadlessGuard headless;
    std::shared_ptr<ManualClock> clock = headless.useManualClock(QDateTime(QDate(2007, 3, 10), QTime(9, 0)));
    std::shared_ptr<ScriptedUiServices> prompts = headless.ui;
    std::shared_ptr<MemorySettingsStore> settings = headless.settings;
    RecordingProgress progress;
    QStringList shownErrors;

private:
    testshop::ShopBuilder m_shop {{.folder = QStringLiteral("lavoro")}};
    QString m_backup = testenv::newDir(QStringLiteral("backup"));
};
