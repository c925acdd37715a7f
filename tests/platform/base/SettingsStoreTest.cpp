// The settings store: look-ups without case, values kept as written, saves that fail whole.
#include "base/AppError.h"
#include "base/SettingsStore.h"
#include "TestEnvironment.h"
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace {

QString newIniPath(const char* name)
{
    return testenv::newDir(QString::fromLatin1(name)) + QStringLiteral("/Mirtavolia.ini");
}

}   // namespace

// A section or key written in one case is found in any other, and keeps the spelling it
// was first written with.
TEST(SettingsStore, SectionsAndKeysAreFoundWhateverTheirCase)
{
    const QString path = newIniPath("case");
    testenv::writeFile(path, "[configuration]\nrootdir=/dati\n");
    const std::pair<const char*, std::function<std::unique_ptr<SettingsStore>()>> stores[] = {
        {"ini file", [&] { return std::make_unique<IniSettingsStore>(path); }},
        {"memory",
         [] {
             auto m = std::make_unique<MemorySettingsStore>();
             m->set(QStringLiteral("configuration"), QStringLiteral("rootdir"), QStringLiteral("/dati"));
             return m;
         }},
    };
    for (const auto& [name, make] : stores) {
        SCOPED_TRACE(name);
        std::unique_ptr<SettingsStore> store = make();
        EXPECT_TRUE(store->contains(QStringLiteral("Configuration"), QStringLiteral("RootDir")));
        EXPECT_EQ(store->get(QStringLiteral("CONFIGURATION"), QStringLiteral("RootDir")), QStringLiteral("/dati"));
        store->set(QStringLiteral("Configuration"), QStringLiteral("ROOTDIR"), QStringLiteral("/negozio"));
        EXPECT_EQ(store->get(QStringLiteral("configuration"), QStringLiteral("rootDir")), QStringLiteral("/negozio"));
        EXPECT_EQ(store->keys(QStringLiteral("CONFIGURATION")), QStringList {QStringLiteral("rootdir")});
        store->remove(QStringLiteral("Configuration"), QStringLiteral("RootDir"));
        EXPECT_FALSE(store->contains(QStringLiteral("configuration"), QStringLiteral("rootdir")));
    }
}

// A value written by hand reads back as the text it is, and a save writes it back as it was.
TEST(SettingsStore, HandWrittenValuesRoundTripAsWritten)
{
    const QString path = newIniPath("handwritten");
    testenv::writeFile(path,
                       "[BalanceParam]\r\n"
                       "COMPortParam=9600,n,8,1\r\n"
                       "[Configuration]\r\n"
                       "Nota=a, b ; c\r\n"
                       "Percorso=C:\\dati\\x\r\n"
                       "Vuoto=\r\n"
                       "RootDir = /home/negozio/Dati\r\n"
                       "Spazi=\"  due  \"\r\n"
                       "Script=\"riga1\\r\\nriga2\"\r\n");
    struct Case {
        const char* section;
        const char* key;
        const char* value;
        const char* savedLine;
    };
    const Case cases[] = {
        {"BalanceParam", "COMPortParam", "9600,n,8,1", "COMPortParam=9600,n,8,1\n"},
        {"Configuration", "Nota", "a, b ; c", "Nota=a, b ; c\n"},
        {"Configuration", "Percorso", "C:\\dati\\x", "Percorso=C:\\dati\\x\n"},
        {"Configuration", "Vuoto", "", "Vuoto=\n"},
        {"Configuration", "RootDir", "/home/negozio/Dati", "RootDir=/home/negozio/Dati\n"},
        {"Configuration", "Spazi", "  due  ", "Spazi=\"  due  \"\n"},
        {"Configuration", "Script", "riga1\r\nriga2", "Script=\"riga1\\r\\nriga2\"\n"},
    };
    {
        IniSettingsStore store(path);
        for (const Case& c : cases)
            EXPECT_EQ(store.get(QString::fromLatin1(c.section), QString::fromLatin1(c.key), QString()),
                      QString::fromLatin1(c.value))
                << c.key;
        store.set(QStringLiteral("Configuration"), QStringLiteral("Default_CodiceIVA"), QStringLiteral("IVA22"));
        store.sync();
    }
    const QByteArray saved = testenv::readFile(path);
    for (const Case& c : cases) EXPECT_TRUE(saved.contains(c.savedLine)) << c.savedLine << "\n" << saved.toStdString();
    IniSettingsStore again(path);
    for (const Case& c : cases)
        EXPECT_EQ(again.get(QString::fromLatin1(c.section), QString::fromLatin1(c.key), QString()),
                  QString::fromLatin1(c.value))
            << c.key;
}

// Whatever the program stores comes back the same from a new store on the file.
TEST(SettingsStore, StoredTextsComeBackUnchanged)
{
    const QString path = newIniPath("texts");
    const QStringList values {QStringLiteral("19200,n,8,1"),
                              QStringLiteral("\"tra virgolette\""),
                              QStringLiteral("a\\b"),
                              QStringLiteral("tab\there"),
                              QStringLiteral("riga\r\nriga"),
                              QStringLiteral(" margine "),
                              QString(QChar(1)) + QStringLiteral("0ab"),
                              QStringLiteral("Perché sì = €"),
                              QString()};
    {
        IniSettingsStore store(path);
        for (int i = 0; i < values.size(); ++i)
            store.set(QStringLiteral("Prova"), QStringLiteral("K%1").arg(i), values[i]);
        store.sync();
    }
    IniSettingsStore again(path);
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(again.get(QStringLiteral("Prova"), QStringLiteral("K%1").arg(i), QStringLiteral("<missing>")),
                  values[i])
            << i;
}

// A disk that refuses the save: the error says so, the file keeps every byte it had, and the
// value is still saved once the disk takes it.
TEST(SettingsStore, AFailedSaveLeavesTheFileAsItWas)
{
    const QString path = newIniPath("full");
    IniSettingsStore store(path);
    store.set(QStringLiteral("LabelPrinterParam"), QStringLiteral("VBScript"), QString(3000, u'x'));
    store.sync();
    const QByteArray before = testenv::readFile(path);
    store.set(QStringLiteral("Configuration"), QStringLiteral("RootDir"), QStringLiteral("/nuova"));
    try {
        testenv::FileSizeLimit limit(2048);
        store.sync();
        ADD_FAILURE() << "saved";
    } catch (const AppError& e) {
        EXPECT_TRUE(
            e.description.startsWith(QStringLiteral("Errore durante la scrittura del file di configurazione\r")))
            << e.description.toStdString();
        EXPECT_TRUE(e.description.contains(path));
        EXPECT_TRUE(e.description.contains(QStringLiteral("file troppo grande per il limite consentito")));
    }
    EXPECT_EQ(testenv::readFile(path), before);
    store.sync();
    EXPECT_EQ(IniSettingsStore(path).get(QStringLiteral("Configuration"), QStringLiteral("RootDir"), QString()),
              QStringLiteral("/nuova"));
}
