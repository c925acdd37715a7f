#pragma once
// Chooses fields and their order: the grid's field sequence ("Sequenza di Visualizzazione
// Campi"), the fields of an export, and, with directions, a composed order ("Campo DESC").
// An answer line is the comma list of the fields (names or captions), each followed by DESC
// where the order is descending; an empty line chooses none (every field, for a sequence).
#include "widgets/ModalDialog.h"
#include <QString>
#include <optional>
#include <vector>

class QCheckBox;
class QListWidget;
class QListWidgetItem;

class FieldSequenceDialog : public ModalDialog {
    Q_OBJECT
public:
    struct Field {
        QString name;
        QString caption;
    };
    FieldSequenceDialog(std::vector<Field> available, const QString& sequence, const QString& title,
                        bool directions = false, QWidget* parent = nullptr);

    // The chosen fields as a comma list ("A, B DESC" with directions).
    QString Sequence() const;
    // Shows the dialog; the chosen sequence, or nothing when cancelled.
    static std::optional<QString> Choose(std::vector<Field> available, const QString& sequence, const QString& title,
                                         bool directions = false, QWidget* owner = nullptr);

    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

private:
    struct Chosen {
        QString name;
        bool descending = false;
    };
    // Parses a comma list; the unknown name, when there is one, in `unknown`.
    std::vector<Chosen> parse(const QString& text, QString* unknown) const;
    const Field* find(const QString& nameOrCaption) const;
    void fill(const std::vector<Chosen>& chosen);
    QListWidgetItem* chosenItem(const Chosen& c) const;
    void add();
    void remove();
    void move(int by);
    void directionChanged();

    std::vector<Field> m_available;
    bool m_directions = false;
    QListWidget* m_lstAvailable = nullptr;
    QListWidget* m_lstChosen = nullptr;
    QCheckBox* m_chkDescending = nullptr;
};
