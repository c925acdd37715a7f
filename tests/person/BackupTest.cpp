// The shop's data saved and restored from their window, as a person starts it from the menu.
#include "CounterProgram.h"
#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSettings>

namespace {
class PersonSavesTheData : public CounterProgram {
protected:
    PersonSavesTheData()
    {
        m_backup = dataFolder() + QStringLiteral("/salvataggi");
        QDir().mkpath(m_backup);
        QSettings ini(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Mirtavolia/Mirtavolia.ini"),
                      QSettings::IniFormat);
        ini.setValue(QStringLiteral("Configuration/BackupDir"), m_backup);
        ini.setValue(QStringLiteral("Configuration/BackupFuncRestoreEnabled"), QStringLiteral("True"));
    }
    QString m_backup;
};

// The message box on top, answered with `button` once its text holds `text`.
void answer(Person& person, const QString& text, const QString& button)
{
    person.when(
        text, [text] { return Person::messageText().contains(text); },
        [button] { Person::answerBox(button); });
}

QVariantList firstColumn(const QString& file, const QString& sql)
{
    QVariantList out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("backup"));
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        EXPECT_TRUE(db.open()) << file.toStdString();
        QSqlQuery q(sql, db);
        while (q.next()) out << q.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("backup"));
    return out;
}
}   // namespace

TEST_F(PersonSavesTheData, SaveFromItsWindowWritesTheBackupFile)
{
    logIn();
    person.when("the main window with the operator in", &Person::atMainWindow, [] {
        Person::chooseMenu(*MainWindow(),
                           {QStringLiteral("Dati"), QStringLiteral("Salva / Ripristina"), QStringLiteral("Salva dati...")});
    });
    person.when(
        "the save window", [] { return Person::modalIs(QStringLiteral("frmBackupRestore")); },
        [] {
            EXPECT_TRUE(Person::modal()->isEnabled());
            Person::click(QStringLiteral("Avvia"));
        });
    answer(person, m_backup + QStringLiteral("/Mirtavolia.mdb"), QStringLiteral("Yes"));
    // The sales and supplies stay in the working file.
    answer(person, QStringLiteral("Salvataggio dei dati effettuato."), QStringLiteral("No"));
    answer(person, QStringLiteral("Operazione completata"), QStringLiteral("OK"));
    person.when("the main window again", &Person::atMainWindow);
    runProgram();

    // The archive is a shop file of its own, with the shop's operators; nothing left the working file.
    const QString operators = QStringLiteral("SELECT Nome FROM Operatori ORDER BY Nome");
    EXPECT_TRUE(firstColumn(m_backup + QStringLiteral("/Mirtavolia.mdb"), operators)
                    .contains(QStringLiteral("Amministratore")));
    EXPECT_EQ(column(QStringLiteral("SELECT Descrizione FROM Clienti ORDER BY Descrizione")),
              (QVariantList {QStringLiteral("Cliente occasionale"), QStringLiteral("Rossi Mario")}));
    EXPECT_EQ(column(QStringLiteral("SELECT Codice FROM Articoli ORDER BY Codice")),
              (QVariantList {QStringLiteral("1001"), QStringLiteral("1002")}));
}

// Saved first, then brought back from the archive through the restore window.
TEST_F(PersonSavesTheData, SavedDataComeBackFromTheRestoreWindow)
{
    const QString archive = m_backup + QStringLiteral("/Mirtavolia.mdb");
    logIn();
    person.when("the main window with the operator in", &Person::atMainWindow, [] {
        Person::chooseMenu(*MainWindow(),
                           {QStringLiteral("Dati"), QStringLiteral("Salva / Ripristina"), QStringLiteral("Salva dati...")});
    });
    person.when(
        "the save window", [] { return Person::modalIs(QStringLiteral("frmBackupRestore")); },
        [] { Person::click(QStringLiteral("Avvia")); });
    answer(person, archive, QStringLiteral("Yes"));
    answer(person, QStringLiteral("Salvataggio dei dati effettuato."), QStringLiteral("No"));
    answer(person, QStringLiteral("Operazione completata"), QStringLiteral("OK"));
    person.when("the main window again", &Person::atMainWindow, [] {
        Person::chooseMenu(*MainWindow(), {QStringLiteral("Dati"), QStringLiteral("Salva / Ripristina"),
                                           QStringLiteral("Ripristina dati...")});
    });
    person.when(
        "the restore window", [] { return Person::modalIs(QStringLiteral("frmBackupRestore")); },
        [] {
            EXPECT_EQ(Person::modal()->windowTitle(), QStringLiteral("Ripristina dati..."));
            EXPECT_TRUE(Person::modal()->isEnabled());
            Person::click(QStringLiteral("Avvia"));
        });
    answer(person, QStringLiteral("Verranno ripristinati i dati dall'archivio:"), QStringLiteral("Yes"));
    // The archive keeps what it holds.
    answer(person, QStringLiteral("Ripristino dei dati effettuato."), QStringLiteral("No"));
    answer(person, QStringLiteral("Operazione completata"), QStringLiteral("OK"));
    person.when("the main window at last", &Person::atMainWindow);
    runProgram();

    EXPECT_TRUE(firstColumn(archive, QStringLiteral("SELECT Nome FROM Operatori")).contains(QStringLiteral("Amministratore")));
    EXPECT_EQ(column(QStringLiteral("SELECT Codice FROM Articoli ORDER BY Codice")),
              (QVariantList {QStringLiteral("1001"), QStringLiteral("1002")}));
    EXPECT_EQ(column(QStringLiteral("SELECT Descrizione FROM Clienti ORDER BY Descrizione")),
              (QVariantList {QStringLiteral("Cliente occasionale"), QStringLiteral("Rossi Mario")}));
}
