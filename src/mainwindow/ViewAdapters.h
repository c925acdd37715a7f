#pragma once
// The library's objects and the program's dialogs in the shapes the view logic asks for: a
// DataFilter as a node's predefined selections and as the grid's complex filter, the date
// and period dialogs, the pick list and the selection editor as the view's dialogs, the find
// dialog as the grid's search prompt.
#include "ColumnFilters.h"
#include "objdb/ui/DataFilter.h"
#include "GridSearch.h"
#include "operations/ViewDialogs.h"
#include <QPointer>
#include <QWidget>

// The predefined selections of a node, kept by the library's filter of the node's table.
class LibraryDataSelection final : public DataSelection {
public:
    explicit LibraryDataSelection(TableObject& table) : m_filter(table) { }
    QString Name() const override { return m_filter.Name(); }
    void SetName(const QString& name) override { m_filter.SetName(name); }
    bool LoadSaved(const QString& name) override { return m_filter.LoadSaved(name); }
    QString GetWhere() const override { return m_filter.GetWhere(0, true); }
    bool Restricts(const QString& field) const override { return m_filter.Restricts(field); }
    void Save(const QString& name) override { m_filter.Save(name); }
    void DeleteSaved(const QString& name) override { (void)m_filter.DeleteSaved(name); }
    DataFilter& Filter() { return m_filter; }

private:
    DataFilter m_filter;
};
DataSelectionFactory LibraryDataSelections();

// The grid's structured filter, kept by the library's filter of the shown table.
class LibraryComplexFilter final : public ComplexFilter {
public:
    explicit LibraryComplexFilter(TableObject& table) : m_filter(table) { }
    QString TableName() const override { return m_filter.TableName(); }
    bool HasCondition(const QString& field) const override { return m_filter.HasCondition(field); }
    void RemoveCondition(const QString& field) override { m_filter.RemoveCondition(field); }
    void AddCondition(const QString& field, const QString& value) override { m_filter.AddCondition(field, value); }
    QString GetWhere() const override { return m_filter.GetWhere(0, true); }
    QString GetSavedNames() const override { return m_filter.GetSavedNames(); }
    bool LoadSaved(const QString& name) override { return m_filter.LoadSaved(name); }
    DataFilter& Filter() { return m_filter; }

private:
    DataFilter m_filter;
};
ComplexFilterFactory LibraryComplexFilters();

// The view's questions answered by the program's windows over `owner`: the library's pick
// list, the date and period windows, the library's selection editor.
class WindowViewDialogs final : public ViewDialogs {
public:
    explicit WindowViewDialogs(QWidget* owner) : m_owner(owner) { }
    bool ChooseRow(TableData& rows, const QString& shownField) override;
    std::optional<QDate> ChooseDate(const std::optional<QDate>& start) override;
    bool ChoosePeriod(std::optional<QDate>& from, std::optional<QDate>& to) override;
    bool EditSelections(DataSelection& selection, const QString& title) override;

private:
    QPointer<QWidget> m_owner;
};

// The find dialog over `owner`. A character typed on the main window before the dialog
// opened (the typing that starts a search) is its text, as if typed into it.
class FindDialogPrompt final : public SearchPrompt {
public:
    explicit FindDialogPrompt(QWidget* owner) : m_owner(owner) { }
    // Taken by the next Ask only.
    void SetTyped(const QString& typed) { m_typed = typed; }
    bool Ask(const QString& label, const QString& title, bool showInside, bool showNext) override;

private:
    QPointer<QWidget> m_owner;
    QString m_typed;
};
