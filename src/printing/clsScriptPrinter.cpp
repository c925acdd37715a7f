#include "clsScriptPrinter.h"

#include "PrintObjectSupport.h"

using printobj::integer;
using printobj::single;

clsScriptPrinter::clsScriptPrinter() : ScriptPrintObject(QStringLiteral("clsScriptPrinter"), "EndLabels")
{
    using vbs::Variant;
    using vbs::VariantList;
    method(QStringLiteral("SetPrinter"), 6, 6, [this](const VariantList& a) {
        SetPrinter(printobj::scriptTarget(a[0]), single(a[1]), single(a[2]), single(a[3]), single(a[4]), integer(a[5]));
        return Variant();
    });
    method(QStringLiteral("NextLabel"), 0, 0, [this](const VariantList&) {
        NextLabel();
        return Variant();
    });
}

void clsScriptPrinter::SetPrinter(const QString& printerName, float Height, float Width, float Top, float Left,
                                  int16_t Columns)
{
    SetPrinter(printobj::printerTarget(printerName), Height, Width, Top, Left, Columns);
}

void clsScriptPrinter::SetPrinter(std::shared_ptr<PrintTarget> target, float Height, float Width, float Top, float Left,
                                  int16_t Columns)
{
    setGeometry(std::move(target), Height, Width, Top, Left, Columns);
    InitPrinter();
}

void clsScriptPrinter::InitPrinter()
{
    PrintTarget& t = target();
    resetPosition();
    if (t.isPrinter()) {
        const QSizeF area = t.scaleSizeMm();
        if (m_Height == 0) m_Height = float(area.height());
        if (m_Width == 0) m_Width = float(area.width());
        return;
    }
    // The preview shows one row of labels, one unit larger than the strip so that the
    // frames' right and bottom edges stay inside.
    const QSizeF strip = stripSize();
    t.setPreviewScale(strip, strip + QSizeF(1, 1));
}

void clsScriptPrinter::NextLabel()
{
    PrintTarget& t = target();
    drawn();
    t.annotate(QStringLiteral("NextLabel"));
    if (!t.isPrinter()) t.drawRect(QRectF(m_Left + m_PosX, m_Top + m_PosY, m_Width, m_Height), QColor(255, 0, 0));
    if (!nextPiece()) return;
    // The next row must fit below the top margin as well, or its bottom would be cut off.
    if (printobj::rowReachesBottom(m_Top + m_PosY, m_Height, t.scaleSizeMm().height())) {
        if (t.isPrinter()) t.newPage();
        m_PosY = 0;
    }
}
