#include "RowKeys.h"

RowKeyCommand KeyCommand(DocumentKind kind, int key, Qt::KeyboardModifiers modifiers, bool backupMarkOn)
{
    const bool sale = kind == DocumentKind::Sale;
    const Qt::KeyboardModifiers held = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key) {
    case Qt::Key_Down:
    case Qt::Key_PageDown: return RowKeyCommand::FocusGrid;
    case Qt::Key_Delete:
    case Qt::Key_F10: return RowKeyCommand::DeleteRow;
    case Qt::Key_Insert: return held == Qt::NoModifier ? RowKeyCommand::AddArticle : RowKeyCommand::None;
    case Qt::Key_F2: return RowKeyCommand::AddArticle;
    case Qt::Key_F3: return sale ? RowKeyCommand::SwitchReceipt : RowKeyCommand::None;
    case Qt::Key_F4: return sale ? RowKeyCommand::SwitchFiscal : RowKeyCommand::SwitchSupplierOnly;
    case Qt::Key_F5: return RowKeyCommand::EditQuantity;
    case Qt::Key_F6: return sale ? RowKeyCommand::ChooseCustomer : RowKeyCommand::None;
    case Qt::Key_F7: return sale && backupMarkOn ? RowKeyCommand::MoveToBackup : RowKeyCommand::None;
    case Qt::Key_F8: return RowKeyCommand::SwitchAdditional;
    case Qt::Key_F9: return sale ? RowKeyCommand::ReadCard : RowKeyCommand::None;
    case Qt::Key_F12: return RowKeyCommand::EditRow;
    case Qt::Key_Home: return RowKeyCommand::EmptyCodeBox;
    default: return RowKeyCommand::None;
    }
}

KeyboardCodeEntry::Step KeyboardCodeEntry::keyDown(int key, Qt::KeyboardModifiers modifiers, bool codeBoxFocused)
{
    const bool both = (modifiers & Qt::ControlModifier) && (modifiers & Qt::ShiftModifier);
    if ((key == Qt::Key_Control || key == Qt::Key_Shift) && both) {
        m_active = true;
        return {Action::Start, {}};
    }
    if (!m_active || !codeBoxFocused || (modifiers & Qt::KeypadModifier)) return {};
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return {Action::Append, QString(QChar(key))};
    return {};
}

KeyboardCodeEntry::Step KeyboardCodeEntry::keyUp(int key)
{
    if (key != Qt::Key_Control || !m_active) return {};
    m_active = false;
    return {Action::Finish, {}};
}
