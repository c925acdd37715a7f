#include "ProgramDialogs.h"
#include "core/seams/DialogServices.h"
#include "widgets/ModalDialog.h"
#include "widgets/QtUiServices.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "frmMessage.h"
#include "frmSelectDir.h"
#include "frmShowException.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Rows in a read-only table, shown until the operator closes it. Any answer line closes it.
class RowsWindow final : public ModalDialog {
public:
    RowsWindow(TableData& rows, QWidget* owner) : ModalDialog(owner)
    {
        setObjectName(QStringLiteral("ArchiveRows"));
        TableObject* table = rows.GetTable();
        const QString caption = table ? table->GetCaption() : QString();
        setWindowTitle(caption);
        m_prompt = caption + QStringLiteral(": %1 righe").arg(rows.RowCount());
        std::vector<FieldInfo> fields;
        for (const FieldInfo& f : rows.GetFieldInfos())
            if (f.Shown) fields.push_back(f);
        auto* grid = new QTableWidget(this);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setColumnCount(int(fields.size()));
        QStringList headings;
        for (const FieldInfo& f : fields) headings << (f.Caption.isEmpty() ? f.Name : f.Caption);
        grid->setHorizontalHeaderLabels(headings);
        auto cursor = rows.Clone();
        int r = 0;
        for (cursor->MoveFirst(); !cursor->IsEOF(); cursor->MoveNext(), ++r) {
            grid->insertRow(r);
            for (int c = 0; c < int(fields.size()); ++c)
                grid->setItem(r, c, new QTableWidgetItem(cursor->GetText(fields[size_t(c)].Name)));
        }
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(grid);
        resize(800, 500);
    }
    QString answerPrompt() const override { return m_prompt; }
    void applyAnswer(const QString&) override { accept(); }

private:
    QString m_prompt;
};

class ProgramDialogs final : public DialogServices {
public:
    void ShowProgress(const QString& message, QWidget* owner, int32_t top, int32_t left) override
    {
        frmMessage::instance().ShowMsg(message, owner, top, left);
    }
    itfProgress* ProgressTarget() override { return &frmMessage::instance(); }
    bool ProgressLoaded() const override { return frmMessage::isLoaded(); }
    void UnloadProgress() override { frmMessage::unloadInstance(); }
    QString ChooseFolder(QWidget* owner, const QString& folder) override
    {
        return frmSelectDir::ChooseFolder(owner, folder);
    }
    void ShowRows(TableData& rows, QWidget* owner) override
    {
        RowsWindow window(rows, owner);
        window.runModal();
    }
    bool ShowErrorReport(const QString& codeText, const QString& shownText) override
    {
        if (!dynamic_cast<QtUiServices*>(&ui()) || !qobject_cast<QApplication*>(QCoreApplication::instance()))
            return false;
        frmShowException::showReport(codeText, shownText);
        return true;
    }
    void CloseAllWindows() override
    {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) (*it)->close();
    }
};

}   // namespace

void InstallDialogServices() { setDialogServices(std::make_shared<ProgramDialogs>()); }
