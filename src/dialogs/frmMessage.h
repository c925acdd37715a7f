#pragma once
// The one small window that tells the user what a long operation is doing: a message, an
// animated hourglass and, when the operation counts its steps, a bar with a count, the
// estimated remaining time and a Stop button. While it is shown, the window it was opened
// over is disabled, so the pair behaves like a modal dialog that still lets the program run.
#include "objdb/Notify.h"
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// The bar, its count and its time estimate, without a window.
class ProgressDisplay {
public:
    // A maximum of 0 becomes 1. `nowMs` is the monotonic clock.
    void start(int32_t max, int64_t nowMs);
    void end() { m_shown = false; }
    // Position above 0 sets the value when it is not above the maximum; 0 steps the value by
    // one while it is below the maximum; a negative position changes nothing.
    void advance(int32_t position);

    bool shown() const { return m_shown; }
    int32_t maximum() const { return m_max; }
    int32_t value() const { return m_value; }
    bool full() const { return m_shown && m_value >= m_max; }

    // "12 / 100" up to a maximum of 9999, "45 %" above.
    QString countText() const;
    // The remaining time label at `nowMs`: nothing (keep the label) within the first five
    // seconds; empty when nothing can be estimated yet or nothing remains.
    std::optional<QString> remainingText(int64_t nowMs) const;
    // "00:00:07", "1gg 02:03:04"; empty for 0 or less.
    static QString formatRemaining(double seconds);

private:
    bool m_shown = false;
    bool m_started = false;
    int32_t m_max = 1;
    int32_t m_value = 0;
    int64_t m_startMs = 0;
};

class frmMessage : public QWidget, public itfProgress {
    Q_OBJECT
public:
    explicit frmMessage(QWidget* parent = nullptr);
    ~frmMessage() override;

    // The application-wide window, loaded on first use.
    static frmMessage& instance();
    static bool isLoaded();
    // Unloads the application-wide window when it is loaded.
    static void unloadInstance();

    // Sets the message and shows the window over `parentForm`; -1 leaves Top or Left
    // (twips) where they are.
    void ShowMsg(const QString& message, QWidget* parentForm = nullptr, int32_t top = -1, int32_t left = -1);
    void StartProgress(int32_t max, bool showStop);
    // True: go on; false: the user has stopped.
    bool Progress(int32_t position = 0, bool onlyStop = false);
    void EndProgress();
    int32_t MaxProgress() const;
    bool Stopped() const { return m_stopped; }
    // Releases the parent, hides the window and, for the application-wide one, frees it.
    void Unload();

    // The library's progress target. OnProgress: a2 the total (0 when unknown), a3 the
    // position; with a position but no total, or no bar, it only offers Stop.
    bool OnProgress(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5) override;
    bool OnStopped() override { return m_stopped; }
    void OnStart(int32_t a1, int32_t max) override;   // a bar of `max` with Stop
    void OnEnd(int32_t a1, int32_t a2) override;

    // Stop clicked or Esc: asks "Confermi l'interruzione ?"; a second Yes unloads.
    void RequestStop();
    QWidget* ParentForm() const { return m_parent; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void showOverParent();
    void adoptParent(QWidget* parentForm);
    void releaseParent();
    void disableParent();
    void nextHourglassFrame();
    void setBarVisible(bool visible);
    void refreshBar();

    ProgressDisplay m_display;
    bool m_stopped = false;
    bool m_unloading = false;
    QPointer<QWidget> m_parent;
    bool m_parentWasEnabled = false;
    int m_frame = 0;

    QLabel* m_lblMessage = nullptr;
    QLabel* m_imgHourglass = nullptr;
    QFrame* m_shpNotify = nullptr;
    QProgressBar* m_pbNotify = nullptr;
    QLabel* m_lblCount = nullptr;
    QLabel* m_lblTime = nullptr;
    QPushButton* m_cmdStop = nullptr;
    QTimer* m_tmHourglass = nullptr;
};
