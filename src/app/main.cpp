// The program's entry point. Until the main window exists, a plain window stands in for it:
// at its first activation it opens the database and lets the operator in, as the main window
// will, and its menu reaches the options dialogs.
#include "DB.h"
#include "Database.h"
#include "DatabaseFiles.h"
#include "MainWindowActivation.h"
#include "MainWindowServices.h"
#include "MirtavoliaApplication.h"
#include "Notify.h"
#include "OperatorLogin.h"
#include "QtUiServices.h"
#include "SystemHelpers.h"
#include "Startup.h"
#include "UiServices.h"
#include "frmOptions.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

namespace {

class PlaceholderWindow final : public QMainWindow, public MainWindowServices, public itfNotifyEvent {
public:
    PlaceholderWindow() {
        setObjectName(QStringLiteral("frmMain"));
        m_label = new QLabel(this);
        m_label->setAlignment(Qt::AlignCenter);
        setCentralWidget(m_label);
        QMenu* data = menuBar()->addMenu(QStringLiteral("&Dati"));
        data->addAction(QStringLiteral("Selezione &Operatore..."), this, [this] {
            if (!UserLogin(this, true, false, [this] { SetAppTitle(); })) close();
        });
        data->addAction(QStringLiteral("Cambio &Password..."), this, [this] { UserLogin(this, false, true); });
        data->addSeparator();
        data->addAction(QStringLiteral("Chiudi"), this, [this] { close(); });
        QMenu* tools = menuBar()->addMenu(QStringLiteral("&Strumenti"));
        m_mnuToolsOptions = tools->addAction(QStringLiteral("&Opzioni..."), this, [this] { frmOptions::ShowOptions(this); });
        resize(640, 480);
        SetAppTitle();
        setMainWindowServices(this);
    }
    ~PlaceholderWindow() override {
        if (mainWindowServices() == this) setMainWindowServices(nullptr);
    }

    void SetAppTitle() override {
        setWindowTitle((g_bBackupArchiveMode ? QStringLiteral("BACKUP - ") : QString()) + AppTitle());
        m_label->setText(g_strOperatorName.isEmpty() ? AppTitle() : AppTitle() + QStringLiteral("\n") + g_strOperatorName);
    }

    // ---- MainWindowServices -----------------------------------------------------------
    QWidget* mainWidget() override { return this; }
    bool OptionsActive() const override { return m_optionsActive; }
    void SetOptionsActive(bool active) override { m_optionsActive = active; }
    void SetStatusMsg(const QString& text) override { statusBar()->showMessage(text); }
    void ReleaseDatabase() override { ReleaseDatabaseObjects(); }
    void RefreshDetailView() override {}

    // ---- itfNotifyEvent ---------------------------------------------------------------
    void OnEvent(int action, const QString&, const QString& detail) override {
        SetStatusMsg(LibraryGlobal::GetEventText(action) + QStringLiteral(" ") + detail);
    }
    void OnInternalMessage(const QString&, const QString& detail) override {
        ui().msgBox(detail, int(Msg::OKOnly) + int(Msg::Exclamation), AppTitle());
    }
    void OnQueryMessage(const QString&, int, const QString& message, bool& cancel) override {
        cancel = ui().msgBox(message, int(Msg::OKCancel) + int(Msg::Exclamation), AppTitle()) != Msg::OK;
    }

protected:
    void showEvent(QShowEvent* e) override {
        QMainWindow::showEvent(e);
        // Some platforms (offscreen) never activate a window: the first showing counts.
        QTimer::singleShot(0, this, [this] { Activate(); });
    }
    void changeEvent(QEvent* e) override {
        QMainWindow::changeEvent(e);
        if (e->type() == QEvent::ActivationChange && isActiveWindow()) QTimer::singleShot(0, this, [this] { Activate(); });
    }
    void closeEvent(QCloseEvent* e) override {
        ReleaseDatabase();
        QMainWindow::closeEvent(e);
    }

private:
    void Activate() {
        if (!isVisible()) return;
        switch (m_activation.Activate(*this)) {
        case MainWindowActivation::Outcome::Ready:
            ui().status(QStringLiteral("Operatore: ") + g_strOperatorName);
            m_mnuToolsOptions->setEnabled(!g_bBackupArchiveMode);
            break;
        case MainWindowActivation::Outcome::Close:
            close();
            break;
        case MainWindowActivation::Outcome::LeaveArchiveMode:   // no backup archive in this window
        case MainWindowActivation::Outcome::SettingsOffered:
        case MainWindowActivation::Outcome::Skipped:
            break;
        }
    }

    QLabel* m_label = nullptr;
    QAction* m_mnuToolsOptions = nullptr;
    bool m_optionsActive = false;
    MainWindowActivation m_activation;
};

}

int main(int argc, char** argv) {
    MirtavoliaApplication app(argc, argv);
    InstallUiServices();
    SetDatabaseDefinitionFactory([] { return std::make_shared<DB>(); });
    std::unique_ptr<PlaceholderWindow> window;
    return Main([&window]() -> QWidget* {
        window = std::make_unique<PlaceholderWindow>();
        return window.get();
    });
}
