#pragma once
// What the import window lends the import's long loops (reading, checking, importing): its
// message label, its event loop, its pointer and its grid; and the operator's request to
// stop, made by a click on the label or Esc while busy. Headless runs lend nothing.
#include <QString>
#include <QtGlobal>

class ImportFeedback {
public:
    virtual ~ImportFeedback() = default;
    virtual void showMessage(const QString& text) { Q_UNUSED(text); }
    virtual void letEventsRun() {}
    virtual void setBusy(bool busy) { Q_UNUSED(busy); }
    // The read row the import stands on, so the grid can show it.
    virtual void showRow(qsizetype row) { Q_UNUSED(row); }
    virtual void focusGrid() {}
};

class ImportLoop {
public:
    explicit ImportLoop(ImportFeedback* feedback = nullptr);

    ImportFeedback& feedback() { return *m_feedback; }
    void setFeedback(ImportFeedback* feedback);

    void requestStop() { m_stopRequested = true; }
    bool stopRequested() const { return m_stopRequested; }
    // A loop starts: a request made before it is forgotten.
    void start() { m_stopRequested = false; }
    // A point where the loop lets window events run and looks at the stop request: true when
    // the operator confirmed it with Yes to "Vuoi interrompere? "; No forgets the request.
    [[nodiscard]] bool checkpoint();

private:
    ImportFeedback m_none;
    ImportFeedback* m_feedback;
    bool m_stopRequested = false;
};

// Busy for the life of the object: the pointer shows it, also when an error leaves early.
class BusyScope {
public:
    BusyScope(ImportFeedback& feedback, bool& busy) : m_feedback(feedback), m_busy(busy), m_was(busy)
    {
        m_busy = true;
        m_feedback.setBusy(true);
    }
    ~BusyScope()
    {
        m_busy = m_was;
        m_feedback.setBusy(m_was);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    ImportFeedback& m_feedback;
    bool& m_busy;
    bool m_was;
};
