#include "FilterScriptBox.h"
#include "base/AppError.h"
#include "devices/codefilter/FilterScriptFiles.h"
#include "base/UiServices.h"
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
QPushButton* button(QWidget* parent, const char* name, const char* caption, const QString& tip)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    return b;
}
}

FilterScriptBox::FilterScriptBox(Setup setup, QWidget* parent) : QWidget(parent), m_setup(std::move(setup))
{
    auto* label = new QLabel(m_setup.caption, this);
    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("txtBarCodeFilter"));
    m_editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setMinimumSize(420, 200);
    label->setBuddy(m_editor);
    auto* cmdLoad = button(this, "cmdLoad", "&Carica", QStringLiteral("Carica lo script da file"));
    auto* cmdSave = button(this, "cmdSave", "&Salva", QStringLiteral("Salva lo script su file"));
    auto* cmdDefault = button(this, "cmdDefault", "&Predefinto", QStringLiteral("Imposta lo script predefinito"));
    auto* cmdTest = button(this, "cmdTest", "&Test", m_setup.testToolTip);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(m_editor, 1, 0, 5, 1);
    grid->addWidget(cmdLoad, 1, 1);
    grid->addWidget(cmdSave, 2, 1);
    grid->addWidget(cmdDefault, 3, 1);
    grid->addWidget(cmdTest, 4, 1);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(0, 1);

    connect(cmdLoad, &QPushButton::clicked, this, [this] { Load(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { Save(); });
    connect(cmdDefault, &QPushButton::clicked, this, [this] { Default(); });
    connect(cmdTest, &QPushButton::clicked, this, [this] { Test(); });
}

// The editor shows line breaks; the script is stored with CR LF, as it always was.
QString FilterScriptBox::Script() const { return m_editor->toPlainText().replace(u'\n', QStringLiteral("\r\n")); }

void FilterScriptBox::SetScript(const QString& script)
{
    m_editor->setPlainText(QString(script).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void FilterScriptBox::Load()
{
    try {
        if (const auto script = filterscript::LoadFromFile(m_setup.proposedFile)) SetScript(*script);
    } catch (const AppError& e) {
        ui().msgBox(e.description);
    }
}

void FilterScriptBox::Save()
{
    try {
        (void)filterscript::SaveToFile(Script(), m_setup.proposedFile);
    } catch (const AppError& e) {
        ui().msgBox(e.description);
    }
}

void FilterScriptBox::Default() { SetScript(m_setup.defaultScript); }

void FilterScriptBox::Test()
{
    const QString script = Script();
    filterscript::TryOnCode(m_setup.testPrompt, [&](const QString& code) { return m_setup.tryScript(code, script); });
}
