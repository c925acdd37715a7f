#include "DocumentWindowShop.h"

#include "LazyTableModel.h"
#include "ObjDataGrid.h"

#include <QTableView>

void DocumentWindowShop::scan(const QString& code)
{
    ASSERT_NE(registered->codeBox, nullptr) << "no code box registered";
    registered->codeBox->Receive(code + u'\r');
}

void DocumentWindowShop::press(QWidget* target, int key, Qt::KeyboardModifiers mods, const QString& text)
{
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(target, &down);
}

void DocumentWindowShop::release(QWidget* target, int key, Qt::KeyboardModifiers mods)
{
    QKeyEvent up(QEvent::KeyRelease, key, mods);
    QCoreApplication::sendEvent(target, &up);
}

void DocumentWindowShop::settle(DocumentForm& window)
{
    for (int i = 0; i < 200 && window.grid()->Model()->HasPendingWork(); ++i)
        QCoreApplication::processEvents();
}

QStringList DocumentWindowShop::gridRows(DocumentForm& window, const QString& quantityField)
{
    settle(window);
    LazyTableModel* model = window.grid()->Model();
    const int code = model->ColumnOf(QStringLiteral("Codice"));
    const int quantity = model->ColumnOf(quantityField);
    EXPECT_GE(code, 0);
    EXPECT_GE(quantity, 0);
    QStringList rows;
    for (int r = 0; r < model->rowCount(); ++r)
        rows << model->TextAt(r, code) + u' ' + model->TextAt(r, quantity);
    return rows;
}

QStringList DocumentWindowShop::gridFields(DocumentForm& window)
{
    QStringList fields;
    for (const GridColumn& c : window.grid()->Model()->ShownColumns())
        fields << c.field;
    return fields;
}
