#include "frmOptionsBarcode.h"
#include "dialogs/AnswerControls.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/DefaultScripts.h"
#include "core/configuration/DeviceSettings.h"
#include "devices/codefilter/ui/FilterScriptBox.h"
#include "dialogs/FormUtilities.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include "dialogs/WindowRegistry.h"
#include "devices/barcode/modBarcodeReader.h"
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmOptionsBarcode::frmOptionsBarcode(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmOptionsBarcode"));
    setWindowTitle(QStringLiteral("Impostazioni"));

    auto* frame = new QGroupBox(QStringLiteral("Parametri lettore codici a barre:"), this);
    frame->setObjectName(QStringLiteral("frmCOMParameter"));
    m_cboCOMPort = new QComboBox(frame);
    m_cboCOMPort->setObjectName(QStringLiteral("cboCOMPort"));
    m_cboCOMPort->addItem(QStringLiteral("[nessuno]"));
    for (int n = 1; n <= 8; ++n) m_cboCOMPort->addItem(QStringLiteral("COM%1").arg(n));
    m_txtCOMParam = new QComboBox(frame);
    m_txtCOMParam->setObjectName(QStringLiteral("txtCOMParam"));
    m_txtCOMParam->setEditable(true);
    m_txtCOMParam->addItems({QStringLiteral("9600,n,8,1"), QStringLiteral("9600,e,7,2")});
    m_txtCOMParam->setToolTip(
        QStringLiteral("Imposta i parametri della porta seriale (Velocità, Parità, Numero Bit, Bit di stop)"));
    auto* note = new QLabel(QStringLiteral("N.B.: Il codice inviato dal lettore viene acquisito per intero e deve "
                                           "terminare con i caratteri di controllo CR e/o LF"),
                            frame);
    note->setWordWrap(true);
    auto* grid = new QGridLayout(frame);
    auto* lblPort = new QLabel(QStringLiteral("Porta di comunicazione:"), frame);
    lblPort->setBuddy(m_cboCOMPort);
    auto* lblParam = new QLabel(QStringLiteral("Parametri porta:"), frame);
    lblParam->setBuddy(m_txtCOMParam);
    grid->addWidget(lblPort, 0, 0);
    grid->addWidget(m_cboCOMPort, 0, 1);
    grid->addWidget(lblParam, 1, 0);
    grid->addWidget(m_txtCOMParam, 1, 1);
    grid->addWidget(note, 2, 0, 1, 2);

    m_script = new FilterScriptBox(
        {QStringLiteral("Script di composizione del filtro per codici a barre particolari:"),
         DefaultBarCodeFilterScript(), GetDataFolder() + QStringLiteral("/BarCodeFilter.vbs"),
         QStringLiteral("Imposta un codice a barre di test:\r"), QString(),
         [](const QString& code, const QString& script) { return ApplyBarCodeFilter(code, script); }},
        this);

    auto* cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    auto* cmdCancel = new QPushButton(QStringLiteral("&Esci"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(m_script, 1);
    layout->addLayout(buttons);

    connect(m_cboCOMPort, &QComboBox::currentIndexChanged, this, [this] { EnableControls(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Load: the stored settings. A stored port outside the list selects nothing.
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    const int port = settings().BarcodeReaderParam.COMPortNumber;
    m_cboCOMPort->setCurrentIndex(port >= 0 && port < m_cboCOMPort->count() ? port : -1);
    m_txtCOMParam->setCurrentText(settings().BarcodeReaderParam.COMPortParam);
    m_script->SetScript(settings().BarcodeReaderParam.VBFilterScript);
    EnableControls();
    cmdOK->setDefault(true);
    resize(sizeHint().expandedTo(QSize(640, 460)));
}

void frmOptionsBarcode::EnableControls() { m_txtCOMParam->setEnabled(m_cboCOMPort->currentIndex() > 0); }

void frmOptionsBarcode::Ok()
{
    try {
        // With no port chosen (a stored number outside the list) the stored one stays.
        if (m_cboCOMPort->currentIndex() >= 0)
            settings().BarcodeReaderParam.COMPortNumber = m_cboCOMPort->currentIndex();
        settings().BarcodeReaderParam.COMPortParam = m_txtCOMParam->currentText();
        settings().BarcodeReaderParam.VBFilterScript = m_script->Script();
        SaveBarcodeReaderParam();
        accept();
    } catch (const AppError& e) {
        ui().msgBox(e.description, Msg::OKOnly, g_strMsgTitle);
    }
}

void frmOptionsBarcode::ShowModal(QWidget* owner)
{
    // Over the owner but not its child: the owner is the main window, disabled meanwhile.
    frmOptionsBarcode window;
    window.setWindowModality(Qt::ApplicationModal);
    if (owner) window.move(owner->geometry().center() - window.rect().center());
    window.runModal();
}

void frmOptionsBarcode::applyAnswer(const QString& answer)
{
    if (!answers::IsCommand(answer, QStringLiteral("OK"))) {
        reject();
        return;
    }
    if (answers::FillControls(*this, answer)) Ok();
}

MV_REGISTER_WINDOW(frmOptionsBarcode);
