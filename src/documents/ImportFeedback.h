#pragma once
// What the import window lends the import's long loops (reading, checking, importing): its
// message label, its event loop, its pointer and its grid; and the operator's request to
// stop, made by a click on the label or Esc while busy. Headless runs lend nothing.
#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

class ImportFeedback {
public:
    virtual ~ImportFeedback() = default;
    virtual void showMessage(const QString& text) { Q_UNUSED(text); }
    virtual void letEventsRun() { }
    virtual void setBusy(bool busy) { Q_UNUSED(busy); }
    // The read row the import stands on, so the grid can show it.
    virtual void showRow(qsizetype row) { Q_UNUSED(row); }
    virtual void focusGrid() { }
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

// How often a long loop shows where it is and lets window events run: once a hundredth of
// the work is done since the last time, or 100 ms have gone by. A label set and events run
// on every line of a long file would take longer than the lines' own work; a short file,
// where one line is more than a hundredth, still shows every line.
class ProgressPace {
public:
    // total: the work's size in the unit due() is given (lines, rows, bytes); 0 when unknown,
    // then only the time decides.
    explicit ProgressPace(qint64 total = 0);
    // True when the loop, `done` units in, is due to show its progress; it then counts from here.
    [[nodiscard]] bool due(qint64 done);

private:
    qint64 m_step;
    qint64 m_last = 0;
    QElapsedTimer m_clock;
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
