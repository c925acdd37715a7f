#include "frmShowException.h"
#include "core/lifecycle/ErrorReporting.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmShowException::frmShowException(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmShowException"));
    setWindowTitle(QStringLiteral("Visualizzazione Errore"));
    setModal(true);
    resize(560, 360);

    auto* caption = new QLabel(QStringLiteral("Codice:"), this);
    m_lblCode = new QLabel(this);
    m_lblCode->setObjectName(QStringLiteral("lblCode"));
    m_lblCode->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_lblCode->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_txtMsg = new QPlainTextEdit(this);
    m_txtMsg->setObjectName(QStringLiteral("txtMsg"));
    m_txtMsg->setReadOnly(true);

    auto button = [this](const char* name, const QString& text, const QString& tip) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* support
        = button("cmdSupport", QStringLiteral("S&upporto"),
                 QStringLiteral("Spedisce il messaggio di errore al supporto tramite posta elettronica"));
    QPushButton* save = button("cmdSave", QStringLiteral("&Salva"),
                               QStringLiteral("Salva il messaggio di errore in un file di testo"));
    QPushButton* browser = button("cmdBrowser", QStringLiteral("&Browser"),
                                  QStringLiteral("Visualizza il messaggio nel Browser HTML predefinito"));
    QPushButton* exit = button("cmdExit", QStringLiteral("&Esci"), QString());
    exit->setDefault(true);

    connect(support, &QPushButton::clicked, this, [this] { MailErrorReport(m_code, m_text); });
    connect(save, &QPushButton::clicked, this, [this] { SaveErrorReportAs(m_code, m_text); });
    connect(browser, &QPushButton::clicked, this, [this] { ShowErrorReportInBrowser(m_text); });
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(caption);
    codeRow->addWidget(m_lblCode, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(support);
    buttons->addWidget(save);
    buttons->addWidget(browser);
    buttons->addStretch(1);
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(codeRow);
    layout->addWidget(m_txtMsg, 1);
    layout->addLayout(buttons);
}

void frmShowException::SetException(const QString& code, const QString& text)
{
    m_code = code;
    m_text = ExceptionDisplayText(text);
    m_lblCode->setText(code);
    QString shown = m_text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_txtMsg->setPlainText(shown);
}

void frmShowException::showReport(const QString& code, const QString& text)
{
    frmShowException window(QApplication::activeWindow());
    window.SetException(code, text);
    window.runModal();
}
