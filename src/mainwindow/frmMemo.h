#pragma once
// The reminder window "Promemoria": the due reminders (or every open one), with commands to
// add, edit, close and postpone them. It carries the reminder engine and its one-minute
// timer, so it is loaded hidden at the main window's activation and only ever hidden by the
// user; the program unloads it when it ends.
#include "operations/ReminderEngine.h"
#include <QWidget>
#include <functional>

class Database;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

class frmMemo : public QWidget, public ReminderWindowPort {
    Q_OBJECT
public:
    static constexpr int kTimerInterval = 60000;

    explicit frmMemo(QWidget* parent = nullptr);
    ~frmMemo() override;

    // One engine run, the list filled from it (the timer's tick).
    void RunEngine();
    // The next run a full interval from now.
    void RestartMemoTimer();
    // The program ends: the window closes for good instead of hiding.
    void Unload();

    ReminderEngine& Engine() { return m_engine; }
    QTimer* Timer() const { return m_tmrMemo; }

    // Commands of the buttons.
    void NewReminder();
    void EditReminders();
    void CloseSelected();
    void PostponeSelected();

    // ReminderWindowPort.
    bool IsShown() const override { return isVisible(); }
    bool ShowWindow() override;
    void ShowSign() override
    {
        if (m_sign) m_sign(true);
    }

    // Where the reminders are (the program's open database by default).
    void setDatabase(std::function<Database*()> database) { m_database = std::move(database); }
    // The reminder sign of the main window's status bar, shown or hidden.
    void setReminderSign(std::function<void(bool shown)> sign) { m_sign = std::move(sign); }

protected:
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    std::vector<ReminderEntry> selectedEntries(bool withCurrent) const;
    void fillList();
    Database* database() const;
    void hideWindow();
    template <class F> void command(F work);

    ReminderEngine m_engine;
    std::function<Database*()> m_database;
    std::function<void(bool)> m_sign;
    bool m_unloading = false;

    QLabel* m_label3 = nullptr;
    QListWidget* m_lstMemo = nullptr;
    QCheckBox* m_chkAll = nullptr;
    QComboBox* m_cmbTimeReminder = nullptr;
    QPushButton* m_cmdPosponi = nullptr;
    QPushButton* m_cmdNew = nullptr;
    QPushButton* m_cmdEdit = nullptr;
    QPushButton* m_cmdDelete = nullptr;
    QPushButton* m_cmdRefresh = nullptr;
    QPushButton* m_cmdClose = nullptr;
    QTimer* m_tmrMemo = nullptr;
};
