#include "base/FileOps.h"
#include "StartupTestSupport.h"
#include "dialogs/frmPassword.h"
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

namespace {
const QString kWrong
    = QStringLiteral("La password non è corretta.\r\rFare attenzione all'utilizzo delle maiuscole/minuscole");

class frmPasswordTest : public startuptest::StartupTest {
protected:
    void SetUp() override
    {
        StartupTest::SetUp();
        removeFile();
    }
    void TearDown() override
    {
        removeFile();
        frmPassword::unloadInstance();
        setFileOps(nullptr);
        StartupTest::TearDown();
    }
    static void removeFile() { QFile::remove(AccessPasswordFilePath()); }
    static void writeFile(const QByteArray& bytes)
    {
        QFile f(AccessPasswordFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    bool startUp() { return frmPassword::instance().ValidatePassword(nullptr, false, nullptr, false, false); }
    QStringList windowPrompts() const
    {
        QStringList out;
        for (const QString& l : ui->log())
            if (l.contains(QStringLiteral("[frmPassword]"))) out << l;
        return out;
    }
    template <class T> T* control(const char* name)
    {
        return frmPassword::instance().findChild<T*>(QString::fromLatin1(name));
    }
};

// A file system on which every write fails.
class FailingWrites : public FileOps {
public:
    bool writeFile(const QString&, const QByteArray&) override
    {
        m_lastError = QStringLiteral("Permesso negato");
        return false;
    }
};

// A file system that shows the files but lets none be read (rights that even the superuser
// running the tests would not be refused by).
class FailingReads : public FileOps {
public:
    QByteArray readFile(const QString&, bool* ok) const override
    {
        m_lastError = QStringLiteral("Permesso negato");
        if (ok) *ok = false;
        return {};
    }
};
}

TEST_F(frmPasswordTest, StartUpWithoutPasswordAsksNothing)
{
    EXPECT_TRUE(startUp());   // no file
    writeFile(QByteArray());
    EXPECT_TRUE(startUp());   // a file of length 0
    EXPECT_TRUE(ui->log().isEmpty());
}

TEST_F(frmPasswordTest, StartUpChecksTheTypedPassword)
{
    WriteAccessPasswordFile(QStringLiteral("Cassa"));
    ui->addAnswer(QStringLiteral("Cassa"));
    EXPECT_TRUE(startUp());
    EXPECT_TRUE(messageBoxes().isEmpty());

    // A wrong password (the letters' case counts) keeps the window open; leaving it
    // refuses access.
    ui->clearLog();
    ui->addAnswer(QStringLiteral("CASSA"));
    ui->addAnswer(QStringLiteral("OK"));   // the message
    ui->addAnswer(QStringLiteral("Cassetta"));
    ui->addAnswer(QStringLiteral("OK"));
    ui->addAnswer(QStringLiteral("<cancel>"));
    EXPECT_FALSE(startUp());
    EXPECT_EQ(messageBoxes(), (QStringList {kWrong, kWrong}));
    EXPECT_EQ(windowPrompts().size(), 3);
}

TEST_F(frmPasswordTest, UnreadableFileRefusesAccessWithItsReason)
{
    writeFile("x");
    setFileOps(std::make_shared<FailingReads>());
    EXPECT_FALSE(startUp());
    ASSERT_EQ(messageBoxes().size(), 1);
    EXPECT_TRUE(
        messageBoxes().first().startsWith(QStringLiteral("Impossibile leggere il file della password di accesso:")));
    EXPECT_TRUE(messageBoxes().first().contains(QStringLiteral("Permesso negato")))
        << messageBoxes().first().toStdString();
}

TEST_F(frmPasswordTest, ChangeAtStartUpRewritesTheFile)
{
    WriteAccessPasswordFile(QStringLiteral("vecchia"));
    frmPassword& w = frmPassword::instance();

    // A confirmation that differs keeps the window open and the file untouched.
    ui->addAnswer(QStringLiteral("vecchia\tnuova\tNuova"));
    ui->addAnswer(QStringLiteral("OK"));
    ui->addAnswer(QStringLiteral("<cancel>"));
    EXPECT_FALSE(startUp());
    EXPECT_EQ(messageBoxes(), QStringList {QStringLiteral("La password di conferma non corrisponde...")});
    EXPECT_EQ(ReadAccessPasswordFile().stored, ScrambleString(QStringLiteral("vecchia"), false));

    ui->clearLog();
    ui->addAnswer(QStringLiteral("vecchia\tnuova\tnuova"));
    EXPECT_TRUE(startUp());
    EXPECT_TRUE(w.Changed());
    EXPECT_EQ(w.Password(), QStringLiteral("nuova"));
    EXPECT_EQ(ReadAccessPasswordFile().stored, ScrambleString(QStringLiteral("nuova"), false));
    EXPECT_EQ(messageBoxes(), QStringList {QStringLiteral("La password e' stata modificata.")});

    // An empty new password lifts every restriction: the next start asks nothing.
    ui->clearLog();
    ui->addAnswer(QStringLiteral("nuova\t\t"));
    EXPECT_TRUE(startUp());
    EXPECT_EQ(messageBoxes(),
              QStringList {
                  QStringLiteral("La password e' stata modificata.\r\rNOTA: Senza password sono disattivate tutte le "
                                 "restrizioni di accesso.")});
    EXPECT_EQ(QFileInfo(AccessPasswordFilePath()).size(), 0);
    ui->clearLog();
    EXPECT_TRUE(startUp());
    EXPECT_TRUE(ui->log().isEmpty());
}

TEST_F(frmPasswordTest, LoginChangeFillsTheCurrentPasswordAndLeavesTheFileAlone)
{
    QString password = QStringLiteral("operatore");
    ui->addAnswer(QStringLiteral("\tnuova\tnuova"));
    frmPassword& w = frmPassword::instance();
    EXPECT_TRUE(w.ValidatePassword(nullptr, true, &password, false, false));
    EXPECT_FALSE(control<QLineEdit>("txtPassword")->isEnabled());
    EXPECT_EQ(control<QLineEdit>("txtPassword")->text(), QStringLiteral("operatore"));
    EXPECT_FALSE(control<QCheckBox>("chkNew")->isEnabled());
    EXPECT_TRUE(w.Changed());
    EXPECT_EQ(password, QStringLiteral("nuova"));   // the new password in clear
    EXPECT_FALSE(QFile::exists(AccessPasswordFilePath()));
}

TEST_F(frmPasswordTest, ExternalPasswordIsAlwaysAskedAndReturnedInStoredForm)
{
    QString password;
    ui->addAnswer(QString());   // an operator without password: Enter
    EXPECT_TRUE(frmPassword::instance().ValidatePassword(nullptr, false, &password, false, false));
    EXPECT_EQ(windowPrompts().size(), 1);

    password = QStringLiteral("abc");
    ui->addAnswer(QStringLiteral("abc"));
    EXPECT_TRUE(frmPassword::instance().ValidatePassword(nullptr, false, &password, true, false));
    EXPECT_FALSE(frmPassword::instance().Changed());
    EXPECT_EQ(password, ScrambleString(QStringLiteral("abc"), false));
    // Change not offered: no "Cambia".
    EXPECT_TRUE(control<QCheckBox>("chkNew")->isHidden());
}

TEST_F(frmPasswordTest, UsedUpScriptCancelsAfterARefusal)
{
    WriteAccessPasswordFile(QStringLiteral("Cassa"));
    EXPECT_FALSE(startUp());   // nothing typed: the window is left
    EXPECT_EQ(windowPrompts().size(), 1);
}

TEST_F(frmPasswordTest, FailedWriteShowsTheErrorAndEndsTheProgram)
{
    WriteAccessPasswordFile(QStringLiteral("vecchia"));
    setFileOps(std::make_shared<FailingWrites>());
    ui->addAnswer(QStringLiteral("vecchia\tnuova\tnuova"));
    EXPECT_FALSE(startUp());
    ASSERT_EQ(messageBoxes().size(), 1);
    EXPECT_EQ(messageBoxes().first(),
              QStringLiteral("Errore in validazione / modifica Password \rPermesso negato\r\rControllare la rete e i "
                             "diritti di accesso..."));
    EXPECT_EQ(programEnds, QList<int> {1});
}
