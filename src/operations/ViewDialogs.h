#pragma once
// What building a view asks the operator: a supplier, a date, a period, and the predefined
// selections of a node. The main window answers with its windows; tests and the developer's
// tool answer from fixed values.
#include <QDate>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class TableData;
class TableObject;

// The stored selections of one view (named conditions on its table, kept by name), as the
// view query uses them.
class DataSelection {
public:
    virtual ~DataSelection() = default;
    virtual QString Name() const = 0;
    virtual void SetName(const QString& name) = 0;
    // Takes up the selections stored under `name`; true when there are some.
    virtual bool LoadSaved(const QString& name) = 0;
    // The condition (Jet SQL) of the selections now held; empty when they select everything.
    virtual QString GetWhere() const = 0;
    // True when the selections now held restrict `field`.
    virtual bool Restricts(const QString& field) const = 0;
    // Stores the selections now held under `name`, replacing any stored there.
    virtual void Save(const QString& name) = 0;
    // Removes the selections stored under `name`.
    virtual void DeleteSaved(const QString& name) = 0;
};
// A new, empty selection object over a table; empty function: no selections are kept.
using DataSelectionFactory = std::function<std::unique_ptr<DataSelection>(TableObject& table)>;

class ViewDialogs {
public:
    virtual ~ViewDialogs() = default;
    // The row chooser over `rows` showing `shownField`: true after a choice, with the chosen
    // row current in `rows`; false when cancelled.
    virtual bool ChooseRow(TableData& rows, const QString& shownField) = 0;
    // The one-date dialog starting on `start`; nullopt when cancelled.
    virtual std::optional<QDate> ChooseDate(const std::optional<QDate>& start) = 0;
    // The period dialog: on confirmation writes both bounds (either may be unset) and
    // returns true; on cancel leaves them as they are.
    virtual bool ChoosePeriod(std::optional<QDate>& from, std::optional<QDate>& to) = 0;
    // The selection editor over `selection` with `title`: true when confirmed.
    virtual bool EditSelections(DataSelection& selection, const QString& title) = 0;
};

// Answers given in advance: a supplier by its code or name, a date, a period; every other
// question is cancelled.
class FixedViewDialogs final : public ViewDialogs {
public:
    std::optional<QString> supplier;   // matched against Codice, then Descrizione
    std::optional<QDate> date;
    std::optional<std::pair<std::optional<QDate>, std::optional<QDate>>> period;

    bool ChooseRow(TableData& rows, const QString& shownField) override;
    std::optional<QDate> ChooseDate(const std::optional<QDate>& start) override;
    bool ChoosePeriod(std::optional<QDate>& from, std::optional<QDate>& to) override;
    bool EditSelections(DataSelection& selection, const QString& title) override;
};
