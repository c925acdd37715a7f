#pragma once
// The filter and selection editor over a DataFilter: its conditions (field, operator,
// value), and the filters stored for the table (load, store under a name, delete). OK checks
// every condition and hands them to the filter; Annulla leaves the filter as it was.
//
// An answer line holds conditions separated by TAB, each "Field<op>value" with op one of
// = <> < <= > >= or ~ for Like ("Descrizione~pane*"); they replace the held ones. An item
// "@save=Name" also stores them under Name, "@load=Name" starts from the ones stored under
// Name, "@none" clears them. An empty line confirms the conditions held.
#include "DataFilter.h"
#include "widgets/ModalDialog.h"

class QComboBox;
class QTableWidget;

class FilterEditor : public ModalDialog {
    Q_OBJECT
public:
    FilterEditor(DataFilter& filter, const QString& title, QWidget* parent = nullptr);

    // Shows the editor; true when confirmed (the filter then holds the conditions shown).
    static bool Edit(DataFilter& filter, const QString& title, QWidget* owner = nullptr);

    std::vector<FilterCondition> ShownConditions() const;
    void ShowConditions(const std::vector<FilterCondition>& conditions);
    bool Confirm();
    void SaveAs(const QString& name);
    bool LoadSaved(const QString& name);
    void DeleteSaved(const QString& name);

    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

private:
    void addRow(const FilterCondition& c);
    void fillSavedNames();

    DataFilter& m_filter;
    std::vector<std::pair<QString, QString>> m_fields;   // name, caption
    QTableWidget* m_grid = nullptr;
    QComboBox* m_cboSaved = nullptr;
};
