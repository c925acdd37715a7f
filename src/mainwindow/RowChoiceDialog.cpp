#include "RowChoiceDialog.h"
#include "FormUtilities.h"
#include "TableData.h"
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

RowChoiceDialog::RowChoiceDialog(TableData& rows, const QString& shownField, QWidget* parent) : ModalDialog(parent)
{
    setObjectName(QStringLiteral("frmRowChoice"));
    setWindowTitle(rows.GetFieldInfo(shownField).Caption);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstRows"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&Conferma"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Annulla"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    resize(360, 320);

    // The data set keeps its own current row until a choice is confirmed.
    std::unique_ptr<TableData> copy = rows.Clone();
    for (copy->MoveFirst(); !copy->IsEOF(); copy->MoveNext()) {
        auto* item = new QListWidgetItem(copy->GetText(shownField), m_list);
        item->setData(Qt::UserRole, copy->GetOID());
    }
    if (m_list->count() > 0) m_list->setCurrentRow(0);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { Confirm(); });
    ApplyFormFont(this, g_strFontName, g_nFontSizeDelta);
}

QStringList RowChoiceDialog::Texts() const
{
    QStringList out;
    for (int i = 0; i < m_list->count(); ++i) out << m_list->item(i)->text();
    return out;
}

void RowChoiceDialog::Confirm()
{
    const QListWidgetItem* item = m_list->currentItem();
    if (!item) {
        reject();
        return;
    }
    m_chosen = item->data(Qt::UserRole).toLongLong();
    accept();
}

void RowChoiceDialog::applyAnswer(const QString& answer)
{
    const QList<QListWidgetItem*> found = m_list->findItems(answer, Qt::MatchFixedString);
    if (found.isEmpty()) {
        reject();
        return;
    }
    m_list->setCurrentItem(found.first());
    Confirm();
}

bool RowChoiceDialog::Choose(TableData& rows, const QString& shownField, QWidget* owner)
{
    RowChoiceDialog dialog(rows, shownField, owner);
    if (!dialog.runModal() || dialog.ChosenRow() == 0) return false;
    return rows.MoveToOID(dialog.ChosenRow());
}
