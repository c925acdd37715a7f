#include "frmPassword.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/lifecycle/ErrorReporting.h"
#include "FormUtilities.h"
#include "core/lifecycle/Password.h"
#include "core/lifecycle/ProgramEnd.h"
#include "base/UiServices.h"
#include "WindowRegistry.h"
#include <QCheckBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QPointer<frmPassword>& passwordWindowInstance()
{
    static QPointer<frmPassword> w;
    return w;
}

QPixmap keyPicture()
{
    QPixmap pm(40, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 90, 20), 2));
    p.setBrush(QColor(230, 190, 60));
    p.drawEllipse(QRectF(3, 3, 16, 16));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(8, 8, 6, 6));
    p.setBrush(QColor(230, 190, 60));
    QPolygonF shaft;
    shaft << QPointF(16, 16) << QPointF(36, 36) << QPointF(33, 39) << QPointF(13, 19);
    p.drawPolygon(shaft);
    p.drawLine(QPointF(27, 27), QPointF(23, 31));
    p.drawLine(QPointF(31, 31), QPointF(27, 35));
    return pm;
}

QLineEdit* passwordBox(QWidget* parent, const char* name, const char* tip)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setEchoMode(QLineEdit::Password);
    e->setToolTip(QString::fromUtf8(tip));
    return e;
}

const int kInfo = int(Msg::OKOnly) + int(Msg::Information);
}

frmPassword::frmPassword(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmPassword"));
    setWindowTitle(QStringLiteral("Password"));
    setModal(true);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(keyPicture());
    image->setAlignment(Qt::AlignTop);

    m_txtPassword = passwordBox(this, "txtPassword", "Immetti la password di accesso");
    m_lblPassword = new QLabel(QStringLiteral("&Password:"), this);
    m_lblPassword->setObjectName(QStringLiteral("lblPassword"));
    m_lblPassword->setBuddy(m_txtPassword);
    m_chkNew = new QCheckBox(QStringLiteral("C&ambia"), this);
    m_chkNew->setObjectName(QStringLiteral("chkNew"));
    m_chkNew->setToolTip(QStringLiteral("Attiva la possibilita' di cambiare la password"));

    m_newPane = new QWidget(this);
    m_txtNewPwd = passwordBox(m_newPane, "txtNewPwd", "Specifica la nuova password");
    m_lblNew = new QLabel(QStringLiteral("&Nuova:"), m_newPane);
    m_lblNew->setObjectName(QStringLiteral("lblNew"));
    m_lblNew->setBuddy(m_txtNewPwd);
    m_txtConfirmNewPwd = passwordBox(m_newPane, "txtConfirmNewPwd", "Conferma la nuova password");
    m_lblConfirmNewPwd = new QLabel(QStringLiteral("Conferma:"), m_newPane);
    m_lblConfirmNewPwd->setObjectName(QStringLiteral("lblConfirmNewPwd"));
    m_lblConfirmNewPwd->setBuddy(m_txtConfirmNewPwd);
    auto* newGrid = new QGridLayout(m_newPane);
    newGrid->setContentsMargins(0, 0, 0, 0);
    newGrid->addWidget(m_lblNew, 0, 0);
    newGrid->addWidget(m_txtNewPwd, 0, 1);
    newGrid->addWidget(m_lblConfirmNewPwd, 1, 0);
    newGrid->addWidget(m_txtConfirmNewPwd, 1, 1);

    m_cmdConfirm = new QPushButton(QStringLiteral("&Conferma"), this);
    m_cmdConfirm->setObjectName(QStringLiteral("cmdConfirm"));
    m_cmdConfirm->setDefault(true);
    m_cmdCancel = new QPushButton(QStringLiteral("&Annulla"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* fields = new QGridLayout;
    fields->addWidget(m_lblPassword, 0, 0);
    fields->addWidget(m_txtPassword, 0, 1);
    fields->addWidget(m_chkNew, 1, 1);
    fields->addWidget(m_newPane, 2, 0, 1, 2);
    fields->setColumnMinimumWidth(1, 160);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_cmdConfirm);
    buttons->addWidget(m_cmdCancel);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(image, 0, Qt::AlignTop);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_chkNew, &QCheckBox::toggled, this, [this](bool on) { newToggled(on); });
    connect(m_cmdConfirm, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { Cancel(); });

    // Load.
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    prepare(false, false);
}

frmPassword& frmPassword::instance()
{
    QPointer<frmPassword>& w = passwordWindowInstance();
    if (!w) w = new frmPassword();
    return *w;
}

void frmPassword::unloadInstance()
{
    if (frmPassword* w = passwordWindowInstance()) {
        w->hide();
        w->deleteLater();
        passwordWindowInstance() = nullptr;
    }
}

bool frmPassword::ValidatePassword(QWidget* owner, bool changeRequested, QString* password, bool changeNotOffered,
                                   bool alwaysAsk)
{
    m_accepted = false;
    m_external = false;
    m_changed = false;
    m_stored.clear();

    if (!password) {
        const AccessPasswordFile file = ReadAccessPasswordFile();
        if (!file.exists) {
            m_accepted = true;
        } else if (!file.readable) {
            // A password that cannot be read cannot be checked: access is refused, with the
            // reason, rather than granted or left to an unhandled failure.
            ui().msgBox(QStringLiteral("Impossibile leggere il file della password di accesso:\r")
                            + AccessPasswordFilePath() + u'\r' + file.error,
                        int(Msg::OKOnly) + int(Msg::Critical), g_strMsgTitle);
            return false;
        } else {
            m_stored = file.stored;
            if (m_stored.isEmpty()) m_accepted = true;
        }
    } else {
        m_stored = ScrambleString(*password, false);
        m_external = true;
    }

    prepare(changeRequested, changeNotOffered);
    if (alwaysAsk || changeRequested || !m_stored.isEmpty() || m_external) ask(owner);

    if (m_external && password) *password = m_stored;
    return m_accepted;
}

void frmPassword::prepare(bool changeRequested, bool changeNotOffered)
{
    m_txtNewPwd->clear();
    m_txtConfirmNewPwd->clear();
    if (changeRequested && !changeNotOffered) {
        m_chkNew->setVisible(true);
        m_chkNew->setChecked(true);
        m_chkNew->setEnabled(false);
        m_txtPassword->setText(ScrambleString(m_stored, true));
        m_txtPassword->setEnabled(false);
        showNewFields(true);
    } else {
        m_chkNew->setChecked(false);
        m_chkNew->setVisible(!changeNotOffered);
        m_chkNew->setEnabled(true);
        m_txtPassword->clear();
        m_txtPassword->setEnabled(true);
        showNewFields(false);
    }
    newToggled(m_chkNew->isChecked());
}

void frmPassword::showNewFields(bool grow) { m_newPane->setVisible(grow); }

void frmPassword::newToggled(bool checked)
{
    for (QWidget* w : {static_cast<QWidget*>(m_txtNewPwd), static_cast<QWidget*>(m_txtConfirmNewPwd),
                       static_cast<QWidget*>(m_lblNew), static_cast<QWidget*>(m_lblConfirmNewPwd)})
        w->setEnabled(checked);
    if (checked) showNewFields(true);
}

void frmPassword::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Activate: the first box the user can type in.
    QTimer::singleShot(0, this, [this] {
        if (m_txtPassword->isEnabled())
            m_txtPassword->setFocus();
        else if (m_txtNewPwd->isEnabled())
            m_txtNewPwd->setFocus();
    });
}

void frmPassword::ask(QWidget* owner)
{
    m_waiting = true;
    if (owner) PlaceWindowTwips(this, -1, -1);
    runModal();
    m_waiting = false;
}

QString frmPassword::answerPrompt() const
{
    return m_chkNew->isChecked() ? QStringLiteral("Password, Nuova, Conferma") : QStringLiteral("Password");
}

void frmPassword::applyAnswer(const QString& answer)
{
    const QStringList parts = answer.split(u'\t');
    if (m_txtPassword->isEnabled()) m_txtPassword->setText(parts.value(0));
    if (parts.size() > 1) {
        if (m_chkNew->isEnabled() && !m_chkNew->isHidden()) m_chkNew->setChecked(true);
        m_txtNewPwd->setText(parts.value(1));
        m_txtConfirmNewPwd->setText(parts.value(2));
    }
    Confirm();
}

void frmPassword::finish(bool accepted)
{
    m_accepted = accepted;
    m_waiting = false;
    done(accepted ? QDialog::Accepted : QDialog::Rejected);
}

void frmPassword::Cancel() { finish(false); }

void frmPassword::Confirm()
{
    try {
        if (ScrambleString(m_txtPassword->text(), false).toUpper() != m_stored.toUpper()) {
            ui().beep();
            ui().msgBox(
                QStringLiteral("La password non è corretta.\r\rFare attenzione all'utilizzo delle maiuscole/minuscole"),
                kInfo, g_strMsgTitle);
            m_txtPassword->setFocus();
            return;
        }
        if (m_chkNew->isChecked()) {
            if (m_txtNewPwd->text() != m_txtConfirmNewPwd->text()) {
                ui().beep();
                ui().msgBox(QStringLiteral("La password di conferma non corrisponde..."),
                            int(Msg::OKOnly) + int(Msg::Exclamation), g_strMsgTitle);
                m_txtConfirmNewPwd->setFocus();
                return;
            }
            m_stored = m_txtNewPwd->text();
            m_changed = true;
            if (!m_external) WriteAccessPasswordFile(m_stored);
            ui().beep();
            QString text = QStringLiteral("La password e' stata modificata.");
            if (m_stored.isEmpty())
                text += QStringLiteral("\r\rNOTA: Senza password sono disattivate tutte le restrizioni di accesso.");
            ui().msgBox(text, kInfo, g_strMsgTitle);
        }
        finish(true);
    } catch (...) {
        const AppError e = CurrentError();
        ui().msgBox(QStringLiteral("Errore in validazione / modifica Password \r") + e.description
                        + QStringLiteral("\r\rControllare la rete e i diritti di accesso..."),
                    Msg::OKOnly, g_strMsgTitle);
        finish(false);
        EndProgramNow(1);
    }
}

MV_REGISTER_WINDOW(frmPassword, [] {
    auto* w = new frmPassword();
    // Shown as the login with a change asked for, so the picture has every control.
    w->findChild<QCheckBox*>(QStringLiteral("chkNew"))->setChecked(true);
    return w;
});
