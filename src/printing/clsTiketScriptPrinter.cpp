#include "clsTiketScriptPrinter.h"

#include "base/AppError.h"
#include "PrintObjectSupport.h"

#include <QImageReader>
#include <cmath>

using printobj::integer;
using printobj::single;
using printobj::singleValue;
using printobj::text;

namespace {

// What a script reads of the background picture: its size in hundredths of a millimetre,
// as pictures report it.
vbs::Variant pictureObject(const QImage& image)
{
    if (image.isNull()) return vbs::Variant::nothing();
    auto pic = std::make_shared<vbs::HostObject>(QStringLiteral("Picture"));
    const double wMm
        = image.dotsPerMeterX() > 0 ? image.width() * 1000.0 / image.dotsPerMeterX() : image.width() * 25.4 / 96;
    const double hMm
        = image.dotsPerMeterY() > 0 ? image.height() * 1000.0 / image.dotsPerMeterY() : image.height() * 25.4 / 96;
    pic->property(QStringLiteral("Width"),
                  [wMm](const vbs::VariantList&) { return vbs::Variant(long(std::lround(wMm * 100))); });
    pic->property(QStringLiteral("Height"),
                  [hMm](const vbs::VariantList&) { return vbs::Variant(long(std::lround(hMm * 100))); });
    return vbs::Variant(vbs::ObjectPtr(pic));
}

}   // namespace

clsTiketScriptPrinter::clsTiketScriptPrinter()
    : ScriptPrintObject(QStringLiteral("clsTiketScriptPrinter"), "EndTickets")
{
    registerMembers();
}

void clsTiketScriptPrinter::registerMembers()
{
    using vbs::Variant;
    using vbs::VariantList;
    auto none = [](auto fn) {
        return [fn](const VariantList&) {
            fn();
            return Variant();
        };
    };
    method(QStringLiteral("SetPrinter"), 11, 11, [this](const VariantList& a) {
        SetPrinter(printobj::scriptTarget(a[0]), single(a[1]), single(a[2]), single(a[3]), single(a[4]), integer(a[5]),
                   single(a[6]), single(a[7]), single(a[8]), text(a[9]), single(a[10]));
        return Variant();
    });
    method(QStringLiteral("InitializeVars"), 0, 0, none([this] { InitializeVars(); }));
    method(QStringLiteral("LoadBackImage"), 0, 0, none([this] { LoadBackImage(); }));
    method(QStringLiteral("NextTicket"), 0, 0, none([this] { NextTicket(); }));
    method(QStringLiteral("NextTicketRow"), 0, 0, none([this] { NextTicketRow(); }));
    property(QStringLiteral("RowPrinting"), [this](const VariantList&) { return Variant(m_RowPrinting); });
    property(QStringLiteral("CurX"), [this](const VariantList&) { return singleValue(CurX()); });
    property(QStringLiteral("CurY"), [this](const VariantList&) { return singleValue(CurY()); });
    property(QStringLiteral("LastRow"), [this](const VariantList&) { return Variant(LastRow()); });
    property(QStringLiteral("BackImageFile"), [this](const VariantList&) { return Variant(m_BackImageFile); });
    property(QStringLiteral("BackImage"), [this](const VariantList&) { return pictureObject(m_BackImage); });
    property(QStringLiteral("TicketCount"), [this](const VariantList&) { return Variant::integer(m_TicketCount); });
    auto setter = [this](const VariantList& a, const Variant& v) { SetVar(a[0].toString(), v); };
    property(
        QStringLiteral("Vars"), [this](const VariantList& a) { return Vars(a[0].toString()); }, setter, 1, 1);
    property(
        QStringLiteral("Nums"), [this](const VariantList& a) { return Nums(a[0].toString()); }, setter, 1, 1);
    property(
        QStringLiteral("Strs"), [this](const VariantList& a) { return Strs(a[0].toString()); }, setter, 1, 1);
    property(QStringLiteral("VarsCount"), [this](const VariantList&) { return Variant::integer(VarsCount()); });
    method(QStringLiteral("ResetVars"), 0, 0, none([this] { ResetVars(); }));
}

void clsTiketScriptPrinter::SetPrinter(const QString& printerName, float Height, float Width, float Top, float Left,
                                       int16_t Columns, float RowsDim, float RowsTop, float RowsBottom,
                                       const QString& BackImageFile, float BottomImageBorder)
{
    SetPrinter(printobj::printerTarget(printerName), Height, Width, Top, Left, Columns, RowsDim, RowsTop, RowsBottom,
               BackImageFile, BottomImageBorder);
}

void clsTiketScriptPrinter::SetPrinter(std::shared_ptr<PrintTarget> target, float Height, float Width, float Top,
                                       float Left, int16_t Columns, float RowsDim, float RowsTop, float RowsBottom,
                                       const QString& BackImageFile, float BottomImageBorder)
{
    QImage picture;
    if (!BackImageFile.isEmpty()) {
        QImageReader reader(BackImageFile);
        picture = reader.read();
        if (picture.isNull())
            throw AppError::object(
                printerr::kPictureFailed, QString::fromLatin1(printerr::kSource),
                QStringLiteral("Impossibile caricare l'immagine \"%1\": %2").arg(BackImageFile, reader.errorString()));
    }
    setGeometry(std::move(target), Height, Width, Top, Left, Columns);
    m_RowsDim = RowsDim;
    m_RowsTop = RowsTop;
    m_RowsBottom = RowsBottom;
    m_BackImageFile = BackImageFile;
    m_BottomImageBorder = BottomImageBorder;
    m_BackImage = picture;
    InitializeVars();
}

void clsTiketScriptPrinter::InitializeVars()
{
    PrintTarget& t = target();
    resetPosition();
    m_RowOffset = 0;
    m_TicketCount = 0;
    m_RowPrinting = false;
    m_BackPainted = false;
    // Sizes left at 0 come from the page the current printer prints on, on either target.
    const QSizeF page = t.pageSizeMm();
    if (m_Height == 0) m_Height = float(page.height()) - m_Top;
    if (m_Width == 0) m_Width = (float(page.width()) - m_Left) / m_Columns;
    if (!t.isPrinter()) t.setPreviewScale(stripSize(), stripSize());
    ResetVars();
}

float clsTiketScriptPrinter::CurY() const
{
    float y = m_Top + m_PosY;
    if (m_RowPrinting) y += m_RowsTop + m_RowOffset;
    return y;
}

bool clsTiketScriptPrinter::LastRow() const
{
    if (m_RowOffset == 0) return false;
    const float bottom = m_RowsTop + m_RowOffset + 2 * m_RowsDim;
    return bottom >= m_RowsBottom;
}

void clsTiketScriptPrinter::EnsureBackImage()
{
    if (m_BackPainted) return;
    LoadBackImage();
    m_BackPainted = true;
}

void clsTiketScriptPrinter::LoadBackImage()
{
    drawn();
    if (m_BackImage.isNull()) return;
    target().drawImage(QRectF(m_Left + m_PosX, m_Top + m_PosY, m_Width, m_Height - m_BottomImageBorder), m_BackImage);
}

void clsTiketScriptPrinter::NextTicket()
{
    PrintTarget& t = target();
    drawn();
    t.annotate(QStringLiteral("NextTicket"));
    EnsureBackImage();
    if (!t.isPrinter()) {
        const float x = m_Left + m_PosX, y = m_Top + m_PosY;
        t.drawRect(QRectF(x + 1, y + 1, m_Width - 2, m_Height - 2), QColor(255, 0, 0));
        t.drawRect(QRectF(x + 1, y + m_RowsTop + 1, m_Width - 2, m_RowsBottom - m_RowsTop - 2), QColor(0, 255, 0));
    }
    // The next row of tickets must fit below the top margin as well, or its bottom would be
    // cut off. A preview shows one strip: further strips fall below it.
    if (nextPiece() && t.isPrinter()
        && printobj::rowReachesBottom(m_Top + m_PosY, m_Height, t.scaleSizeMm().height())) {
        t.newPage();
        m_PosY = 0;
    }
    m_BackPainted = false;
    if (m_TicketCount == INT16_MAX) throw AppError::overflow(QStringLiteral("clsTiketScriptPrinter"));
    ++m_TicketCount;
}

void clsTiketScriptPrinter::NextTicketRow()
{
    if (LastRow())
        NextTicket();
    else
        m_RowOffset += m_RowsDim;
}

void clsTiketScriptPrinter::SetRowPrinting(bool flag)
{
    if (flag != m_RowPrinting) m_RowOffset = 0;
    m_RowPrinting = flag;
}

vbs::Variant clsTiketScriptPrinter::Vars(const QString& key) const
{
    auto it = m_Vars.constFind(key.toLower());
    return it == m_Vars.cend() ? vbs::Variant() : *it;
}

vbs::Variant clsTiketScriptPrinter::Nums(const QString& key) const
{
    auto it = m_Vars.constFind(key.toLower());
    return it == m_Vars.cend() ? vbs::Variant(0) : *it;
}

vbs::Variant clsTiketScriptPrinter::Strs(const QString& key) const
{
    auto it = m_Vars.constFind(key.toLower());
    if (it == m_Vars.cend()) return vbs::Variant(QString());
    const vbs::Variant v = it->valueOf();
    return vbs::Variant(v.isNull() ? QString() : v.toString());
}

void clsTiketScriptPrinter::SetVar(const QString& key, const vbs::Variant& value)
{
    m_Vars.insert(key.toLower(), value);
}
