#include "frmMagneticOptions.h"
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
#include "devices/cards/modMagneticDev.h"
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QComboBox* list(QWidget* parent, const char* name)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}
}

frmMagneticOptions::frmMagneticOptions(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmMagneticOptions"));
    setWindowTitle(QStringLiteral("Impostazioni"));

    auto* frame = new QGroupBox(QStringLiteral("Parametri dispositivo carte magnetiche"), this);
    m_cmbDevType = list(frame, "cmbDevType");
    m_cmbDevType->addItem(QStringLiteral("MSR 106 Series"), MagneticDevType::MSR106);
    m_cmbDevType->addItem(QStringLiteral("MSR 206HL Series (Alta coercività)"), MagneticDevType::MSR206HLHigh);
    m_cmbDevType->addItem(QStringLiteral("MSR 206HL Series (Bassa coercività)"), MagneticDevType::MSR206HLLow);
    m_cmbDevType->addItem(QStringLiteral("Emulazione Tastiera"), MagneticDevType::KeyboardEmulation);
    m_cboCOMPort = list(frame, "cboCOMPort");
    m_cboCOMPort->addItem(QStringLiteral("[nessuno]"));
    for (int n = 1; n <= 8; ++n) m_cboCOMPort->addItem(QStringLiteral("COM%1").arg(n));
    m_txtCOMParam = list(frame, "txtCOMParam");
    m_txtCOMParam->setEditable(true);
    m_txtCOMParam->addItems({QStringLiteral("9600,n,8,1"), QStringLiteral("9600,e,7,1")});
    m_txtCOMParam->setToolTip(
        QStringLiteral("Imposta i parametri della porta seriale (Velocità, Parità, Numero Bit, Bit di stop)"));
    auto* grid = new QGridLayout(frame);
    int row = 0;
    for (auto [caption, field] :
         {std::pair {"Tipo di dispositivo:", m_cmbDevType}, std::pair {"Porta di comunicazione:", m_cboCOMPort},
          std::pair {"Parametri porta:", m_txtCOMParam}}) {
        auto* label = new QLabel(QString::fromUtf8(caption), frame);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->setColumnStretch(1, 1);

    m_script = new FilterScriptBox(
        {QStringLiteral("Script di composizione del filtro per codici particolari:"), DefaultCodeFilterScript(),
         GetDataFolder() + QStringLiteral("/CodeCardFilter.vbs"), QStringLiteral("Imposta un codice di test:\r"),
         QStringLiteral("Stampa una etichetta di prova"),
         [](const QString& code, const QString& script) { return ApplyCodeFilter(code, script); }},
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

    connect(m_cmbDevType, &QComboBox::currentIndexChanged, this, [this] { EnableControls(); });
    connect(m_cboCOMPort, &QComboBox::currentIndexChanged, this, [this] { EnableControls(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Load. A stored type or port that no item shows selects nothing.
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
    m_cmbDevType->setCurrentIndex(m_cmbDevType->findData(settings().MagneticDevParam.Type));
    const int port = settings().MagneticDevParam.COMPortNumber;
    m_cboCOMPort->setCurrentIndex(port >= 0 && port < m_cboCOMPort->count() ? port : -1);
    m_txtCOMParam->setCurrentText(settings().MagneticDevParam.COMPortParam);
    m_script->SetScript(settings().MagneticDevParam.VBFilterScript);
    EnableControls();
    cmdOK->setDefault(true);
    resize(sizeHint().expandedTo(QSize(640, 480)));
}

void frmMagneticOptions::EnableControls()
{
    const bool typed = m_cmbDevType->currentData() == QVariant(MagneticDevType::KeyboardEmulation);
    if (typed) m_cboCOMPort->setCurrentIndex(0);
    m_cboCOMPort->setEnabled(!typed);
    m_txtCOMParam->setEnabled(m_cboCOMPort->currentIndex() >= 1);
}

void frmMagneticOptions::Ok()
{
    try {
        // With nothing chosen (a stored value no item shows) the stored value stays.
        if (m_cmbDevType->currentIndex() >= 0) settings().MagneticDevParam.Type = m_cmbDevType->currentData().toInt();
        if (m_cboCOMPort->currentIndex() >= 0) settings().MagneticDevParam.COMPortNumber = m_cboCOMPort->currentIndex();
        settings().MagneticDevParam.COMPortParam = m_txtCOMParam->currentText();
        settings().MagneticDevParam.VBFilterScript = m_script->Script();
        SaveMagneticDevSettings();
        m_confirmed = true;
        accept();
    } catch (const AppError& e) {
        ui().msgBox(e.description, Msg::OKOnly, g_strMsgTitle);
    }
}

void frmMagneticOptions::ShowModal(QWidget* owner)
{
    // Over the owner but not its child: the owner is the main window, disabled meanwhile.
    frmMagneticOptions window;
    window.setWindowModality(Qt::ApplicationModal);
    if (owner) window.move(owner->geometry().center() - window.rect().center());
    window.runModal();
}

void frmMagneticOptions::applyAnswer(const QString& answer)
{
    if (!answers::IsCommand(answer, QStringLiteral("OK"))) {
        reject();
        return;
    }
    if (answers::FillControls(*this, answer)) Ok();
}

MV_REGISTER_WINDOW(frmMagneticOptions, [] {
    auto* w = new frmMagneticOptions();
    // Settings never loaded (the developer's tool): the picture shows the script a new
    // installation starts from.
    if (settings().MagneticDevParam.VBFilterScript.isEmpty()) w->ScriptBox().SetScript(DefaultCodeFilterScript());
    return w;
});
