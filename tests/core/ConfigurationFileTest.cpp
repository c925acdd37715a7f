#include "core/configuration/ConfigurationFile.h"
#include "StartupTestSupport.h"
#include <QFile>

namespace {
class ConfigurationFileTest : public startuptest::StartupTest {
protected:
    QString write(const QByteArray& content)
    {
        const QString path = workDir + QStringLiteral("/conf.txt");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        return path;
    }
    QString stored(const char* key) const
    {
        return settings->get(QStringLiteral("Configuration"), QString::fromLatin1(key), QStringLiteral("<none>"));
    }
};
}

TEST_F(ConfigurationFileTest, ExportWritesEveryStoredKeyAsOneLine)
{
    ::settings().RootDir = QStringLiteral("/srv/negozio");
    ::settings().ImportoMaxArticolo = 1500.5;
    ::settings().Use_Ricevute = true;
    SaveConfiguration();
    const QByteArray text = configfile::ExportText(*settings);
    EXPECT_TRUE(text.contains("RootDir=/srv/negozio\r\n"));
    EXPECT_TRUE(text.contains("ImportoMaxArticolo=1500.5\r\n"));
    EXPECT_TRUE(text.contains("Use_Ricevute=True\r\n"));
    EXPECT_TRUE(text.endsWith("\r\n"));
    EXPECT_FALSE(text.contains("[Configuration]"));
    EXPECT_EQ(text.count("\r\n"), settings->keys(QStringLiteral("Configuration")).size());
}

TEST_F(ConfigurationFileTest, ExportedFileImportsBackEveryValue)
{
    ::settings().Default_CodiceIVA = QStringLiteral("IVA22");
    ::settings().ProgrLen_ClientiForn = 6;
    ::settings().BackupFuncSaveEnabled = true;
    SaveConfiguration();
    const QString path = workDir + QStringLiteral("/export.txt");
    configfile::WriteConfigurationFile(path);
    const QStringList keys = settings->keys(QStringLiteral("Configuration"));
    QMap<QString, QString> before;
    for (const QString& k : keys) before[k] = settings->get(QStringLiteral("Configuration"), k, QString());

    // Everything changed in the store, then the file brings the values back.
    for (const QString& k : keys) {
        if (!before[k].isEmpty()) settings->set(QStringLiteral("Configuration"), k, QStringLiteral("0"));
    }
    configfile::ImportConfigurationFile(path);
    for (const QString& k : keys) {
        if (!before[k].isEmpty()) {
            EXPECT_EQ(settings->get(QStringLiteral("Configuration"), k, QString()), before[k]) << k.toStdString();
        }
    }
    EXPECT_EQ(::settings().Default_CodiceIVA, QStringLiteral("IVA22"));   // the settings follow at once
    EXPECT_EQ(::settings().ProgrLen_ClientiForn, 6);
}

TEST_F(ConfigurationFileTest, EmptyLinesAndEmptyValuesChangeNothing)
{
    settings->set(QStringLiteral("Configuration"), QStringLiteral("Default_CodiceIVA"), QStringLiteral("IVA10"));
    const auto entries = configfile::ParseImportText("\r\nDefault_CodiceIVA=\r\nChiaveNuova=uno\r\n\r\n");
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().key, QStringLiteral("ChiaveNuova"));   // any key is taken
    EXPECT_EQ(entries.first().value, QStringLiteral("uno"));
}

// Values of their settings' types, in the forms the program writes and those it reads, are
// taken; so is any text for a text setting or a key the program does not know.
TEST_F(ConfigurationFileTest, ValuesOfTheirSettingsTypesAreTaken)
{
    const QByteArray text
        = "Use_PuntiPremio=True\r\nUse_Badge=false\r\nUse_Ricevute=VERO\r\nUseTransaction=Falso\r\n"
          "AutoSaveOnExit=S\xc3\xac\r\nBalanceEnabled=no\r\nCurrencyConversion=-1\r\nUseRoundRanges=0\r\n"
          "ProgrLen_ClientiForn=-6\r\nAccessMode= 2 \r\nNCopyRicevute=3\r\nImportoPunto=1.5\r\n"
          "ImportoPuntoPremio=0,05\r\nArrotondaValore1=0.50\r\nDefault_CodiceIVA=maybe\r\nChiaveNuova=maybe\r\n";
    QList<configfile::Entry> entries;
    ASSERT_NO_THROW(entries = configfile::ParseImportText(text));
    EXPECT_EQ(entries.size(), 16);
    configfile::ImportConfigurationFile(write(text));
    EXPECT_TRUE(::settings().Use_PuntiPremio);
    EXPECT_FALSE(::settings().Use_Badge);
    EXPECT_TRUE(::settings().Use_Ricevute);
    EXPECT_FALSE(::settings().UseTransaction);
    EXPECT_TRUE(::settings().AutoSaveOnExit);
    EXPECT_FALSE(::settings().BalanceEnabled);
    EXPECT_TRUE(::settings().CurrencyConversion);
    EXPECT_EQ(::settings().ProgrLen_ClientiForn, -6);
    EXPECT_EQ(::settings().AccessMode, 2);
    EXPECT_DOUBLE_EQ(::settings().ImportoPunto, 1.5);
    EXPECT_DOUBLE_EQ(::settings().ImportoPuntoPremio, 0.05);
}

TEST_F(ConfigurationFileTest, BadFileChangesNothing)
{
    struct Case {
        const char* name;
        QByteArray content;
        QString message;
    };
    const Case cases[] = {
        {"value with =", "Default_CodiceIVA=IVA4\r\nRootDir=/a=b\r\n",
         QStringLiteral("Una variabile contiene il carattere =, non è possibile continuare")},
        {"line without =", "Default_CodiceIVA=IVA4\r\nsenza uguale\r\n",
         QStringLiteral("Riga 2 non valida: \"senza uguale\"")},
        {"no key", "Default_CodiceIVA=IVA4\r\n=valore\r\n", QStringLiteral("Riga 2 non valida: \"=valore\"")},
        {"key with a section", "Default_CodiceIVA=IVA4\r\nAltro/Chiave=1\r\n",
         QStringLiteral("Riga 2 non valida: \"Altro/Chiave=1\"")},
        // Keys the store's file would read back as other keys, a comment or a section (the
        // first found by fuzzing: a Latin-1 file whose key ends in 0x85, a blank to Unicode).
        {"key ending in a blank", "Default_CodiceIVA=IVA4\r\ng\x85=True\r\n",
         QStringLiteral("Riga 2 non valida: \"g\u0085=True\"")},
        {"key after blanks", "Default_CodiceIVA=IVA4\r\n AccessMode=2\r\n",
         QStringLiteral("Riga 2 non valida: \" AccessMode=2\"")},
        {"key as a comment", "Default_CodiceIVA=IVA4\r\n;Nota=1\r\n", QStringLiteral("Riga 2 non valida: \";Nota=1\"")},
        {"key as a section", "Default_CodiceIVA=IVA4\r\n[Altro]=1\r\n",
         QStringLiteral("Riga 2 non valida: \"[Altro]=1\"")},
        {"key after a byte-order mark", "Default_CodiceIVA=IVA4\r\n\xef\xbb\xbfUse_Badge=True\r\n",
         QStringLiteral("Riga 2 non valida: \"\ufeffUse_Badge=True\"")},
        // A value that is none of its setting's type would be read as another value: a
        // Boolean that is no Boolean as True, "6.5" as 6.
        {"a Boolean that is none", "Default_CodiceIVA=IVA4\r\nUse_PuntiPremio=maybe\r\n",
         QStringLiteral(
             "Riga 2 non valida: \"Use_PuntiPremio=maybe\" (il valore di <Use_PuntiPremio> deve essere True o False)")},
        {"a Boolean under a key in another case", "Default_CodiceIVA=IVA4\r\nuse_badge=forse\r\n",
         QStringLiteral("Riga 2 non valida: \"use_badge=forse\" (il valore di <use_badge> deve essere True o False)")},
        {"an Integer with decimals", "Default_CodiceIVA=IVA4\r\nProgrLen_ClientiForn=6.5\r\n",
         QStringLiteral(
             "Riga 2 non valida: \"ProgrLen_ClientiForn=6.5\" (il valore di <ProgrLen_ClientiForn> deve essere "
             "un numero intero da -32768 a 32767)")},
        {"an Integer past its range", "Default_CodiceIVA=IVA4\r\nProgrLen_ClientiForn=70000\r\n",
         QStringLiteral(
             "Riga 2 non valida: \"ProgrLen_ClientiForn=70000\" (il valore di <ProgrLen_ClientiForn> deve essere "
             "un numero intero da -32768 a 32767)")},
        {"a Long in words", "Default_CodiceIVA=IVA4\r\nAccessMode=multiutente\r\n",
         QStringLiteral("Riga 2 non valida: \"AccessMode=multiutente\" (il valore di <AccessMode> deve essere "
                        "un numero intero da -2147483648 a 2147483647)")},
        {"copies that are no count", "Default_CodiceIVA=IVA4\r\nNCopyRicevute=-1\r\n",
         QStringLiteral("Riga 2 non valida: \"NCopyRicevute=-1\" (il valore di <NCopyRicevute> deve essere un numero "
                        "intero da 0 a 32767)")},
        {"a number in words", "Default_CodiceIVA=IVA4\r\nImportoPunto=uno\r\n",
         QStringLiteral("Riga 2 non valida: \"ImportoPunto=uno\" (il valore di <ImportoPunto> deve essere un numero)")},
        {"a rounding step in words", "Default_CodiceIVA=IVA4\r\nArrotondaValore1=mezzo\r\n",
         QStringLiteral(
             "Riga 2 non valida: \"ArrotondaValore1=mezzo\" (il valore di <ArrotondaValore1> deve essere un importo)")},
        // Cut at the NUL, the folder would be another one.
        {"folder with a NUL", QByteArray("Default_CodiceIVA=IVA4\r\nRootDir=/dati") + QByteArray(1, '\0') + "sub\r\n",
         QStringLiteral("Riga 2 non valida: contiene un carattere nullo")},
    };
    for (const Case& c : cases) {
        settings->set(QStringLiteral("Configuration"), QStringLiteral("Default_CodiceIVA"), QStringLiteral("IVA20"));
        try {
            configfile::ImportConfigurationFile(write(c.content));
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const AppError& e) {
            EXPECT_EQ(e.description, c.message) << c.name;
        }
        EXPECT_EQ(stored("Default_CodiceIVA"), QStringLiteral("IVA20")) << c.name;
        EXPECT_EQ(stored("RootDir"), QStringLiteral("<none>")) << c.name;
    }
}

TEST_F(ConfigurationFileTest, RefusedWhileTheBackupArchiveIsInUse)
{
    g_bBackupArchiveMode = true;
    EXPECT_THROW(configfile::ImportConfigurationFile(write("Default_CodiceIVA=IVA4\r\n")), AppError);
    EXPECT_EQ(stored("Default_CodiceIVA"), QStringLiteral("<none>"));
}

TEST_F(ConfigurationFileTest, LatinOneFileIsReadAsSuch)
{
    const auto entries = configfile::ParseImportText(QByteArray("Default_UnitaMisura=Unit\xe0\r\n"));
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().value, QStringLiteral("Unità"));
}

TEST_F(ConfigurationFileTest, ImportReleasesTheDatabaseOnlyForOpeningSettings)
{
    startuptest::FakeMainWindow mw;
    setMainWindowServices(&mw);
    SaveConfiguration();
    struct Case {
        const char* line;
        int releases;
    };
    const Case cases[] = {
        {"AccessMode=1", 0},   // engine settings are handed over, no release
        {"UseTransaction=True", 0},  {"Default_CodiceIVA=IVA4", 0}, {"MaintenanceMode=True", 1},
        {"Use_PuntiPremio=True", 1}, {"Use_Badge=True", 1},         {"RootDir=/altra/cartella", 1},
    };
    for (const Case& c : cases) {
        SaveConfiguration();   // the store as the settings are
        openDatabase();
        mw.releases = 0;
        configfile::ImportConfigurationFile(write(QByteArray(c.line) + "\r\n"));
        EXPECT_EQ(mw.releases, c.releases) << c.line;
        if (c.releases == 0) {
            ASSERT_TRUE(g_objDBEngine) << c.line;
            EXPECT_EQ(g_objDBEngine->AccessMode(), ::settings().AccessMode) << c.line;
            EXPECT_EQ(g_objDBEngine->UseTransaction(), ::settings().UseTransaction) << c.line;
        }
        ReleaseDatabaseObjects();
        ::settings().RootDir = workDir;
        ::settings().MaintenanceMode = false;
    }
    // The same folder written another way keeps the database; another letter case is
    // another folder on this system.
    for (const auto& [root, releases] :
         {std::pair {workDir + QStringLiteral("/./"), 0}, std::pair {workDir.toUpper(), 1}}) {
        SaveConfiguration();
        openDatabase();
        mw.releases = 0;
        configfile::ImportConfigurationFile(write(QStringLiteral("RootDir=%1\r\n").arg(root).toUtf8()));
        EXPECT_EQ(mw.releases, releases) << root.toStdString();
        ReleaseDatabaseObjects();
        ::settings().RootDir = workDir;
    }
}
