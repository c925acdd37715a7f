#pragma once
// Commands chosen in a popup menu run after the menu has closed: the click only records
// the command's text, and the window's one-shot timer (1 ms) runs it. A second click before
// the timer fires replaces the text; a run never starts while another is still under way
// (its editor or view open).
#include "RelatedMenus.h"
#include <QString>
#include <functional>
#include <optional>

class TableData;

class DeferredCommands {
public:
    // "mnuContItem(" n ")", "mnuRefItem(" n ")", "mnuReferencedItem(" n ")".
    static QString RelatedCommand(RelatedKind kind, int number);
    static inline const QString kFilterComplex = QStringLiteral("mnuFilterComplex");
    static inline const QString kOrderComplex = QStringLiteral("mnuOrderComplex");

    struct Parsed {
        enum class What { Related, FilterComplex, OrderComplex } what = What::Related;
        RelatedKind kind = RelatedKind::Association;
        int number = 0;
    };
    // What a recorded text asks for; none for any other text.
    static std::optional<Parsed> Parse(const QString& command);

    // A related-data element clicked (its tag holds its number): recorded only while the shown
    // data set has rows. True when recorded (the window starts the timer).
    bool RecordRelated(const TableData* ds, RelatedKind kind, const QString& elementTag);
    // The complex filter and order editors, recorded without any check.
    void Record(const QString& command);

    // The timer is on while a command waits.
    bool Pending() const { return m_pending; }
    const QString& Command() const { return m_command; }

    struct Handlers {
        std::function<void(RelatedKind, int)> openRelated;
        std::function<void()> complexFilter;
        std::function<void()> complexOrder;
    };
    // The timer fired: the waiting command runs once. Its errors are reported here.
    void Run(const Handlers& handlers);

private:
    QString m_command;
    bool m_pending = false;
    bool m_running = false;
};
