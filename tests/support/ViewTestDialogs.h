#pragma once
// Scripted answers to the questions a view asks, with a record of what was asked, and
// predefined selections kept in memory.
#include "operations/DetailView.h"
#include "objdb/TableData.h"
#include "operations/ViewDialogs.h"
#include <QStringList>
#include <functional>
#include <map>

// Selections stored by name: each is a condition and the fields it restricts.
struct SelectionStore {
    struct Saved {
        QString where;
        QStringList fields;
    };
    std::map<QString, Saved> saved;
    int created = 0;
};

class StoredSelection final : public DataSelection {
public:
    explicit StoredSelection(SelectionStore& store) : m_store(store) { ++m_store.created; }
    QString Name() const override { return m_name; }
    void SetName(const QString& name) override { m_name = name; }
    bool LoadSaved(const QString& name) override
    {
        auto it = m_store.saved.find(name);
        if (it == m_store.saved.end()) return false;
        held = it->second;
        return true;
    }
    QString GetWhere() const override { return held.where; }
    bool Restricts(const QString& field) const override { return held.fields.contains(field, Qt::CaseInsensitive); }
    void Save(const QString& name) override { m_store.saved[name] = held; }
    void DeleteSaved(const QString& name) override { m_store.saved.erase(name); }

    SelectionStore::Saved held;

private:
    SelectionStore& m_store;
    QString m_name;
};

inline DataSelectionFactory selectionsIn(SelectionStore& store)
{
    return [&store](TableObject&) { return std::make_unique<StoredSelection>(store); };
}

class TestDialogs final : public ViewDialogs {
public:
    // Answers; unset ones cancel.
    std::optional<QString> supplier;   // the Descrizione to choose
    std::optional<QDate> date;
    std::optional<std::pair<std::optional<QDate>, std::optional<QDate>>> period;
    std::optional<SelectionStore::Saved> selections;   // what the selection editor confirms
    std::function<void()> whileOpen;   // runs inside every dialog

    // What was asked.
    QStringList asked;
    std::optional<QDate> dateStart;
    std::optional<QDate> periodFrom, periodTo;

    bool ChooseRow(TableData& rows, const QString& shownField) override
    {
        asked << "row:" + shownField;
        during();
        if (!supplier) return false;
        for (rows.MoveFirst(); !rows.IsEOF(); rows.MoveNext())
            if (rows.GetValue(shownField).toString() == *supplier) return true;
        return false;
    }
    std::optional<QDate> ChooseDate(const std::optional<QDate>& start) override
    {
        asked << "date";
        dateStart = start;
        during();
        return date;
    }
    bool ChoosePeriod(std::optional<QDate>& from, std::optional<QDate>& to) override
    {
        asked << "period";
        periodFrom = from;
        periodTo = to;
        during();
        if (!period) return false;
        from = period->first;
        to = period->second;
        return true;
    }
    bool EditSelections(DataSelection& selection, const QString& title) override
    {
        asked << "selections:" + title;
        during();
        if (!selections) return false;
        static_cast<StoredSelection&>(selection).held = *selections;
        return true;
    }

private:
    void during()
    {
        if (whileOpen) whileOpen();
    }
};

// A refresh of the node `key` (its caption `text`, the key when empty).
inline DetailView::Request nodeRequest(const QString& key, const QString& where = QString(),
                                       const QString& text = QString())
{
    DetailView::Request r;
    r.node = ViewNode {key, text.isEmpty() ? key : text};
    r.where = where;
    return r;
}
