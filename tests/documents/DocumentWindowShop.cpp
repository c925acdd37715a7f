#include "DocumentWindowShop.h"

#include "objdb/ui/LazyTableModel.h"
#include "objdb/ui/ObjDataGrid.h"

#include <QTableView>

#include <functional>
#include <utility>

void DocumentWindowShop::scan(const QString& code)
{
    ASSERT_NE(registered->codeBox, nullptr) << "no code box registered";
    registered->codeBox->Receive(code + u'\r');
}

namespace {
// The scripted dialogs, with a scan arriving while one named window is up.
class ScanWhileShown final : public UiServices {
public:
    ScanWhileShown(std::shared_ptr<ScriptedUiServices> boxes, QString window, std::function<void()> scan)
        : m_boxes(std::move(boxes)), m_window(std::move(window)), m_scan(std::move(scan))
    { }
    int msgBox(const QString& text, int flags, const QString& title) override
    {
        return m_boxes->msgBox(text, flags, title);
    }
    std::optional<QString> inputBox(const QString& prompt, const QString& title, const QString& def) override
    {
        return m_boxes->inputBox(prompt, title, def);
    }
    std::optional<QString> openFileName(const QString& title, const QString& filter, const QString& initial) override
    {
        return m_boxes->openFileName(title, filter, initial);
    }
    std::optional<QString> saveFileName(const QString& title, const QString& filter, const QString& initial) override
    {
        return m_boxes->saveFileName(title, filter, initial);
    }
    std::optional<QString> folderName(const QString& title, const QString& initial) override
    {
        return m_boxes->folderName(title, initial);
    }
    bool runModal(ModalWindow& window) override
    {
        if (m_scan && window.windowName() == m_window) std::exchange(m_scan, nullptr)();
        return m_boxes->runModal(window);
    }
    void beep() override { m_boxes->beep(); }
    bool openUrl(const QString& url) override { return m_boxes->openUrl(url); }
    void status(const QString& text) override { m_boxes->status(text); }

private:
    std::shared_ptr<ScriptedUiServices> m_boxes;
    QString m_window;
    std::function<void()> m_scan;
};
}   // namespace

void DocumentWindowShop::scanWhileShown(const QString& windowName, const QString& code)
{
    runWhileShown(windowName, [this, code] { scan(code); });
}

void DocumentWindowShop::runWhileShown(const QString& windowName, std::function<void()> action)
{
    setUiServices(std::make_shared<ScanWhileShown>(m_ui, windowName, std::move(action)));
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
    for (int i = 0; i < 200 && window.grid()->Model()->HasPendingWork(); ++i) QCoreApplication::processEvents();
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
    for (int r = 0; r < model->rowCount(); ++r) rows << model->TextAt(r, code) + u' ' + model->TextAt(r, quantity);
    return rows;
}

QStringList DocumentWindowShop::gridFields(DocumentForm& window)
{
    QStringList fields;
    for (const GridColumn& c : window.grid()->Model()->ShownColumns()) fields << c.field;
    return fields;
}
