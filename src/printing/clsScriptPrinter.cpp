#include "clsScriptPrinter.h"

#include "AppError.h"
#include "PrintObjectSupport.h"

using printobj::integer;
using printobj::single;
using printobj::text;

clsScriptPrinter::clsScriptPrinter() : vbs::HostObject(QStringLiteral("clsScriptPrinter")) { registerMembers(); }

clsScriptPrinter::~clsScriptPrinter()
{
    if (m_Target && !m_settled) printobj::endOnRelease("EndLabels", [this] { EndLabels(); });
}

void clsScriptPrinter::registerMembers()
{
    using vbs::Variant;
    using vbs::VariantList;
    method(QStringLiteral("SetPrinter"), 6, 6, [this](const VariantList& a) {
        SetPrinter(printobj::scriptTarget(a[0]), single(a[1]), single(a[2]), single(a[3]), single(a[4]), integer(a[5]));
        return Variant();
    });
    method(QStringLiteral("TxtOut"), 3, 3, [this](const VariantList& a) {
        TxtOut(single(a[0]), single(a[1]), text(a[2]));
        return Variant();
    });
    method(QStringLiteral("BoxOut"), 4, 4, [this](const VariantList& a) {
        BoxOut(single(a[0]), single(a[1]), single(a[2]), single(a[3]));
        return Variant();
    });
    method(QStringLiteral("NextLabel"), 0, 0, [this](const VariantList&) {
        NextLabel();
        return Variant();
    });
    method(QStringLiteral("SetFont"), 4, 4, [this](const VariantList& a) {
        SetFont(integer(a[0]), a[1].toBool(), a[2].toBool(), text(a[3]));
        return Variant();
    });
    method(QStringLiteral("EndLabels"), 0, 0, [this](const VariantList&) {
        EndLabels();
        return Variant();
    });
}

PrintTarget& clsScriptPrinter::target() const
{
    if (!m_Target)
        throw AppError::object(printerr::kDeviceNotReady, QString::fromLatin1(printerr::kSource),
                               QStringLiteral("Stampante non impostata."));
    return *m_Target;
}

void clsScriptPrinter::SetPrinter(const QString& printerName, float Height, float Width, float Top, float Left,
                                  int16_t Columns)
{
    SetPrinter(printobj::printerTarget(printerName), Height, Width, Top, Left, Columns);
}

void clsScriptPrinter::SetPrinter(std::shared_ptr<PrintTarget> target, float Height, float Width, float Top, float Left,
                                  int16_t Columns)
{
    m_Target = std::move(target);
    m_Height = Height;
    m_Width = Width;
    m_Top = Top;
    m_Left = Left;
    m_Columns = Columns;
    m_settled = false;
    InitPrinter();
}

void clsScriptPrinter::InitPrinter()
{
    PrintTarget& t = target();
    m_PosX = m_PosY = 0;
    if (m_Columns == 0) m_Columns = 1;
    m_ColumnIndex = 0;
    if (t.isPrinter()) {
        const QSizeF area = t.scaleSizeMm();
        if (m_Height == 0) m_Height = float(area.height());
        if (m_Width == 0) m_Width = float(area.width());
        return;
    }
    // The preview shows one row of labels, one unit larger than the strip so that the
    // frames' right and bottom edges stay inside.
    const float stripH = m_Top + m_Height;
    const float stripW = m_Left + m_Columns * m_Width;
    t.setPreviewScale(QSizeF(stripW, stripH), QSizeF(stripW + 1, stripH + 1));
}

void clsScriptPrinter::TxtOut(float nYPos, float nXPos, const QString& sText)
{
    m_settled = false;
    target().drawText(QPointF(m_Left + m_PosX + nXPos, m_Top + m_PosY + nYPos), sText);
}

void clsScriptPrinter::BoxOut(float nYPos, float nXPos, float nYDim, float nXDim)
{
    m_settled = false;
    target().drawRect(QRectF(m_Left + m_PosX + nXPos, m_Top + m_PosY + nYPos, nXDim, nYDim), QColor(Qt::black));
}

void clsScriptPrinter::NextLabel()
{
    PrintTarget& t = target();
    m_settled = false;
    t.annotate(QStringLiteral("NextLabel"));
    if (!t.isPrinter())
        t.drawRect(QRectF(m_Left + m_PosX, m_Top + m_PosY, m_Width, m_Height), QColor(255, 0, 0));
    ++m_ColumnIndex;
    if (m_ColumnIndex < m_Columns) {
        m_PosX += m_Width;
        return;
    }
    m_ColumnIndex = 0;
    m_PosX = 0;
    m_PosY += m_Height;
    // The next row must fit below the top margin as well, or its bottom would be cut off.
    if (printobj::rowReachesBottom(m_Top + m_PosY, m_Height, t.scaleSizeMm().height())) {
        if (t.isPrinter()) t.newPage();
        m_PosY = 0;
    }
}

void clsScriptPrinter::SetFont(int16_t nSize, bool bBold, bool bItalic, const QString& sFontName)
{
    PrintTarget& t = target();
    PrintFont f = t.font();
    if (!sFontName.isEmpty()) f.name = sFontName;
    f.size = nSize;
    f.bold = bBold;
    f.italic = bItalic;
    t.setFont(f);
}

void clsScriptPrinter::EndLabels()
{
    // Settled first: a document that failed to end is not sent again on release.
    m_settled = true;
    m_PosX = m_PosY = 0;
    m_ColumnIndex = 0;
    if (m_Target && m_Target->isPrinter()) m_Target->endDocument();
}

void clsScriptPrinter::AbortLabels()
{
    if (m_Target) m_Target->abortDocument();
    m_settled = true;
    m_PosX = m_PosY = 0;
    m_ColumnIndex = 0;
}
