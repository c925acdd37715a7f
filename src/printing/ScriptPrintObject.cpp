#include "ScriptPrintObject.h"

#include "base/AppError.h"
#include "PrintObjectSupport.h"

using printobj::integer;
using printobj::single;
using printobj::text;

ScriptPrintObject::ScriptPrintObject(const QString& typeName, const char* endName)
    : vbs::HostObject(typeName), m_endName(endName)
{
    using vbs::Variant;
    using vbs::VariantList;
    method(QStringLiteral("TxtOut"), 3, 3, [this](const VariantList& a) {
        TxtOut(single(a[0]), single(a[1]), text(a[2]));
        return Variant();
    });
    method(QStringLiteral("BoxOut"), 4, 4, [this](const VariantList& a) {
        BoxOut(single(a[0]), single(a[1]), single(a[2]), single(a[3]));
        return Variant();
    });
    method(QStringLiteral("SetFont"), 4, 4, [this](const VariantList& a) {
        SetFont(integer(a[0]), a[1].toBool(), a[2].toBool(), text(a[3]));
        return Variant();
    });
    method(QString::fromLatin1(endName), 0, 0, [this](const VariantList&) {
        endDocument();
        return Variant();
    });
}

ScriptPrintObject::~ScriptPrintObject()
{
    if (m_Target && !m_settled) printobj::endOnRelease(m_endName, [this] { endDocument(); });
}

PrintTarget& ScriptPrintObject::target() const
{
    if (!m_Target)
        throw AppError::object(printerr::kDeviceNotReady, QString::fromLatin1(printerr::kSource),
                               QStringLiteral("Stampante non impostata."));
    return *m_Target;
}

void ScriptPrintObject::setGeometry(std::shared_ptr<PrintTarget> target, float Height, float Width, float Top,
                                    float Left, int16_t Columns)
{
    m_Target = std::move(target);
    m_Height = Height;
    m_Width = Width;
    m_Top = Top;
    m_Left = Left;
    m_Columns = Columns;
    m_settled = false;
}

void ScriptPrintObject::resetPosition()
{
    m_PosX = m_PosY = 0;
    m_ColumnIndex = 0;
    if (m_Columns == 0) m_Columns = 1;
}

QSizeF ScriptPrintObject::stripSize() const { return QSizeF(m_Left + m_Columns * m_Width, m_Top + m_Height); }

bool ScriptPrintObject::nextPiece()
{
    ++m_ColumnIndex;
    if (m_ColumnIndex < m_Columns) {
        m_PosX += m_Width;
        return false;
    }
    m_ColumnIndex = 0;
    m_PosX = 0;
    m_PosY += m_Height;
    return true;
}

void ScriptPrintObject::TxtOut(float nYPos, float nXPos, const QString& sText)
{
    PrintTarget& t = target();
    drawn();
    beforeDrawing();
    const Origin o = drawingOrigin();
    t.drawText(QPointF(o.x + nXPos, o.y + nYPos), sText);
}

void ScriptPrintObject::BoxOut(float nYPos, float nXPos, float nYDim, float nXDim)
{
    PrintTarget& t = target();
    drawn();
    beforeDrawing();
    const Origin o = drawingOrigin();
    t.drawRect(QRectF(o.x + nXPos, o.y + nYPos, nXDim, nYDim), QColor(Qt::black));
}

void ScriptPrintObject::SetFont(int16_t nSize, bool bBold, bool bItalic, const QString& sFontName)
{
    PrintTarget& t = target();
    PrintFont f = t.font();
    if (!sFontName.isEmpty()) f.name = sFontName;
    f.size = nSize;
    f.bold = bBold;
    f.italic = bItalic;
    t.setFont(f);
}

void ScriptPrintObject::endDocument()
{
    // Settled first: a document that failed to end is not sent again on release.
    m_settled = true;
    m_PosX = m_PosY = 0;
    m_ColumnIndex = 0;
    if (m_Target && m_Target->isPrinter()) m_Target->endDocument();
}

void ScriptPrintObject::abortDocument()
{
    if (m_Target) m_Target->abortDocument();
    m_settled = true;
    m_PosX = m_PosY = 0;
    m_ColumnIndex = 0;
}
