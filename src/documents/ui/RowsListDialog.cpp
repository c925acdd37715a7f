#include "RowsListDialog.h"

#include "objdb/ui/ObjDataGrid.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "objdb/ui/ViewWindow.h"

#include <QEvent>
#include <QVBoxLayout>

RowsListDialog::RowsListDialog(TableData& rows, const QStringList& columns, QWidget* owner) : ModalDialog(owner)
{
    setObjectName(QStringLiteral("RowsListDialog"));
    TableObject* table = rows.GetTable();
    setWindowTitle(table ? table->Caption() : rows.tableName());
    m_view = new ViewWindow(rows, windowTitle(), this);
    // Inside this window, not a window of its own.
    m_view->setWindowFlags(Qt::Widget);
    m_view->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!columns.isEmpty() && m_view->Grid()->Layout()) {
        m_view->Grid()->Layout()->SetFieldSequence(columns.join(u','));
        m_view->Grid()->ApplyLayout();
    }
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_view);
    // The rows window's "&Chiudi" closes this one.
    m_view->installEventFilter(this);
    resize(720, 420);
}

RowsListDialog::~RowsListDialog() = default;

bool RowsListDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::Close) {
        event->ignore();
        accept();
        return true;
    }
    return ModalDialog::eventFilter(watched, event);
}
