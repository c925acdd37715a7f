#include "ViewWindow.h"
#include "base/AppError.h"
#include "objdb/Database.h"
#include "ObjDataGrid.h"
#include "RowEditor.h"
#include "RuleMessages.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

ViewWindow::ViewWindow(const TableData& data, const QString& caption, QWidget* owner)
    : QWidget(owner, Qt::Window), m_data(data.Clone())
{
    setObjectName(QStringLiteral("ViewWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    TableObject* table = m_data->GetTable();
    setWindowTitle(!caption.isEmpty() ? caption : table ? table->Caption() : m_data->tableName());
    m_grid = new ObjDataGrid(this, QStringLiteral("dgLibraryView"));
    m_grid->SetMultipleSelection(true);
    m_grid->SetRowCommands(true);
    m_grid->SetDataSet(m_data.get());
    auto* cmdEdit = new QPushButton(QStringLiteral("&Modifica..."), this);
    auto* cmdNew = new QPushButton(QStringLiteral("&Nuovo..."), this);
    auto* cmdDelete = new QPushButton(QStringLiteral("&Elimina"), this);
    auto* cmdClose = new QPushButton(QStringLiteral("&Chiudi"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdEdit, cmdNew, cmdDelete}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto* box = new QVBoxLayout(this);
    box->addWidget(m_grid, 1);
    box->addLayout(buttons);
    connect(cmdEdit, &QPushButton::clicked, this, [this] { EditCurrent(); });
    connect(cmdNew, &QPushButton::clicked, this, [this] { NewRow(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_grid, &ObjDataGrid::DblClick, this, [this] { EditCurrent(); });
    connect(m_grid, &ObjDataGrid::KeyDown, this, [this](int key, Qt::KeyboardModifiers mods, bool* consumed) {
        if (mods != Qt::NoModifier && mods != Qt::KeypadModifier) return;
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            *consumed = true;
            EditCurrent();
        } else if (key == Qt::Key_Insert) {
            *consumed = true;
            NewRow();
        } else if (key == Qt::Key_Delete) {
            *consumed = true;
            DeleteSelected();
        }
    });
    resize(720, 420);
}

ViewWindow::~ViewWindow() { m_grid->Detach(); }

void ViewWindow::EditCurrent()
{
    if (!m_grid->PositionDataSet() || m_data->RowFlag()) {
        ui().beep();
        return;
    }
    if (RowEditor::EditRow(*m_data, {}, this)) m_grid->Refresh();
}

void ViewWindow::NewRow()
{
    if (auto key = RowEditor::NewRow(*m_data, {QStringLiteral("@InvertParent@"), true}, this)) {
        m_grid->Refresh();
        m_grid->SetBookmark(*key);
    }
}

void ViewWindow::DeleteSelected()
{
    std::vector<qint64> rows = m_grid->SelectedBookmarks();
    if (rows.empty())
        if (auto b = m_grid->Bookmark()) rows.push_back(*b);
    if (rows.empty()) {
        ui().beep();
        return;
    }
    if (ui().msgBox(QStringLiteral("Confermi l'eliminazione dei dati selezionati ?"), int {Msg::YesNo} | Msg::Question)
        != Msg::Yes)
        return;
    RuleMessages messages(*m_data->GetDatabase(),
                          [](const QString& m, bool) { ui().msgBox(m, int {Msg::OKOnly} | Msg::Exclamation); });
    for (qint64 oid : rows) {
        if (!m_data->MoveToOID(oid) || m_data->RowFlag()) continue;
        try {
            m_data->DeleteRow();
        } catch (const AppError& e) {
            if (!messages.refused()) ui().msgBox(e.description, int {Msg::OKOnly} | Msg::Exclamation);
            break;
        }
    }
    m_grid->Refresh();
}
