#pragma once
// The About box: program title, version and description, the supplier's web site and
// contact details, and a short summary of the system the program runs on.
#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// Operating system, kernel, processor and computer name as a few lines (CR between them);
// empty when the system tells nothing.
QString SystemSummary();

class frmAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kWebAddress = "https://www.vessanti.example";
    static constexpr const char* kUnavailable = "System Information Is Unavailable At This Time";

    explicit frmAbout(QWidget* parent = nullptr);

    // Shows the system summary, or "System Information Is Unavailable At This Time".
    void StartSysInfo();
    // The supplier's contact details in an information box (a click on the logo).
    void ShowContacts();
    // Opens the web address (a click on lblWeb); false when nothing could open it.
    bool OpenWebSite();

    static QString ContactDetails();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QLabel* m_lblWeb = nullptr;
    QLabel* m_imgVessanti = nullptr;
};
