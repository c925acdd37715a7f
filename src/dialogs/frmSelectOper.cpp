#include "frmSelectOper.h"
#include "core/helpers/SystemHelpers.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "objdb/Database.h"
#include "core/lifecycle/ErrorReporting.h"
#include "FormUtilities.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "WindowRegistry.h"
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPixmap operatorPicture()
{
    QPixmap pm(40, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 100, 170));
    p.drawEllipse(QRectF(13, 4, 14, 14));
    p.drawRoundedRect(QRectF(6, 20, 28, 18), 8, 8);
    return pm;
}
}

frmSelectOper::frmSelectOper(QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmSelectOper"));
    setWindowTitle(QString());

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(operatorPicture());
    m_lblMessage = new QLabel(QStringLiteral("Selezionare l'operatore:"), this);
    m_lblMessage->setObjectName(QStringLiteral("lblMessage"));
    m_cmbOperatore = new QComboBox(this);
    m_cmbOperatore->setObjectName(QStringLiteral("CmbOperatore"));
    m_cmbOperatore->setMinimumWidth(220);
    auto* cmdConfirm = new QPushButton(QStringLiteral("&Conferma"), this);
    cmdConfirm->setObjectName(QStringLiteral("cmdConfirm"));
    cmdConfirm->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("&Annulla"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* fields = new QVBoxLayout;
    fields->addWidget(m_lblMessage);
    fields->addWidget(m_cmbOperatore);
    fields->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdConfirm);
    buttons->addWidget(cmdCancel);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(image, 0, Qt::AlignTop);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    connect(cmdConfirm, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { Cancel(); });
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
}

void frmSelectOper::Load()
{
    try {
        if (OperatorTable.isEmpty()) OperatorTable = QStringLiteral("Operatori");
        m_cmbOperatore->clear();
        if (!g_objDatabase)
            throw AppError::object(AppError::kGenericCode, AppTitle(), QStringLiteral("Database non aperto"));
        TableObject* table = g_objDatabase->Tables().Item(OperatorTable);
        std::unique_ptr<TableData> rows = table->Select(QString(), QStringLiteral("Nome"), QString(), g_objDBEngine);
        for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext())
            m_cmbOperatore->addItem(rows->GetText(QStringLiteral("Nome")), rows->GetOID());
        if (m_cmbOperatore->count() > 0) {
            int position = 0;
            if (!OperatorName.isEmpty()) {
                // Names compare as the database compares text: without regard to case.
                for (int i = 0; i < m_cmbOperatore->count(); ++i) {
                    if (m_cmbOperatore->itemText(i).compare(OperatorName, Qt::CaseInsensitive) == 0) {
                        position = i;
                        break;
                    }
                }
            }
            m_cmbOperatore->setCurrentIndex(position);
        }
        OperatorName.clear();
    } catch (...) {
        ShowErrorDetails();
    }
}

void frmSelectOper::Confirm()
{
    if (!m_cmbOperatore->currentText().isEmpty()) {
        OperatorName = m_cmbOperatore->currentText();
        OperatorKey = m_cmbOperatore->currentData();
    }
    accept();
}

void frmSelectOper::Cancel()
{
    OperatorName.clear();
    reject();
}

QStringList frmSelectOper::Names() const
{
    QStringList names;
    for (int i = 0; i < m_cmbOperatore->count(); ++i) names << m_cmbOperatore->itemText(i);
    return names;
}

void frmSelectOper::ShowModal(QWidget* owner)
{
    Load();
    if (owner) PlaceWindowTwips(this, -1, -1);
    if (!runModal()) OperatorName.clear();
}

void frmSelectOper::applyAnswer(const QString& answer)
{
    if (!answer.isEmpty()) {
        const int i = m_cmbOperatore->findText(answer, Qt::MatchFixedString);
        if (i < 0) {
            Cancel();
            return;
        }
        m_cmbOperatore->setCurrentIndex(i);
    }
    Confirm();
}

MV_REGISTER_WINDOW(frmSelectOper, [] {
    auto* w = new frmSelectOper();
    // Without an open database the list shows the two operators of a new one.
    auto* combo = w->findChild<QComboBox*>(QStringLiteral("CmbOperatore"));
    combo->addItems({QStringLiteral("Amministratore"), QStringLiteral("Operatore")});
    return w;
});
