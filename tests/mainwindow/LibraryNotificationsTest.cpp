// The library's notifications as the main window shows them.
#include "mainwindow/LibraryNotifications.h"
#include "objdb/Notify.h"
#include "base/UiServices.h"
#include <gtest/gtest.h>

TEST(LibraryNotifications, EventTextsCarryTheirDetail)
{
    struct Case {
        int action;
        const char* detail;
        const char* text;
    };
    const Case cases[] = {
        {NotifyAction::DatabaseOpened, "/dati/Mirtavolia.mdb", "Database aperto </dati/Mirtavolia.mdb>..."},
        {NotifyAction::TableCreated, "", "Creazione tabella"},
        {999, "Articoli", " <Articoli>..."},   // a code without text: the detail alone
        {999, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LibraryNotifications::EventText(c.action, QString::fromUtf8(c.detail)), QString::fromUtf8(c.text));
    }
}

TEST(LibraryNotifications, QuestionsDefaultToCancelWhenAskedTo)
{
    // With the answers used up a box takes its default button, as Enter would.
    auto prompts
        = std::make_shared<ScriptedUiServices>(QStringList {}, QString(), ScriptedUiServices::WhenUsedUp::TakeDefaults);
    setUiServices(prompts);
    EXPECT_TRUE(LibraryNotifications::QueryMessage(3, QStringLiteral("Eliminare la riga ?"), true));
    EXPECT_FALSE(LibraryNotifications::QueryMessage(1, QStringLiteral("Proseguire ?"), false));

    prompts->addAnswer(QStringLiteral("OK"));
    EXPECT_FALSE(LibraryNotifications::QueryMessage(3, QStringLiteral("Eliminare la riga ?"), true));
    prompts->addAnswer(QStringLiteral("Cancel"));
    EXPECT_TRUE(LibraryNotifications::QueryMessage(1, QStringLiteral("Proseguire ?"), false));

    LibraryNotifications::InternalMessage(QStringLiteral("Codice già presente"));
    EXPECT_EQ(prompts->prompts().last(), QStringLiteral("Codice già presente"));
    setUiServices(nullptr);
}
