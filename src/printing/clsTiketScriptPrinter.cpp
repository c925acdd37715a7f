#include "clsTiketScriptPrinter.h"

#include "AppError.h"
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
    const double wMm = image.dotsPerMeterX() > 0 ? image.width() * 1000.0 / image.dotsPerMeterX() : image.width() * 25.4 / 96;
    const double hMm = image.dotsPerMeterY() > 0 ? image.height() * 1000.0 / image.dotsPerMeterY() : image.height() * 25.4 / 96;
    pic->property(QStringLiteral("Width"), [wMm](const vbs::VariantList&) { return vbs::Variant(long(std::lround(wMm * 100))); });
    pic->property(QStringLiteral("Height"), [hMm](const vbs::VariantList&) { return vbs::Variant(long(std::lround(hMm * 100))); });
    return vbs::Variant(vbs::ObjectPtr(pic));
}

} // namespace

clsTiketScriptPrinter::clsTiketScriptPrinter() : vbs::HostObject(QStringLiteral("clsTiketScriptPrinter"))
{
    registerMembers();
}

clsTiketScriptPrinter::~clsTiketScriptPrinter()
{
    if (m_Target && !m_settled) printobj::endOnRelease("EndTickets", [this] { EndTickets(); });
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
    method(QStringLiteral("TxtOut"), 3, 3, [this](const VariantList& a) {
        TxtOut(single(a[0]), single(a[1]), text(a[2]));
        return Variant();
    });
    method(QStringLiteral("BoxOut"), 4, 4, [this](const VariantList& a) {
        BoxOut(single(a[0]), single(a[1]), single(a[2]), single(a[3]));
        return Variant();
    });
    method(QStringLiteral("LoadBackImage"), 0, 0, none([this] { LoadBackImage(); }));
    method(QStringLiteral("NextTicket"), 0, 0, none([this] { NextTicket(); }));
    method(QStringLiteral("NextTicketRow"), 0, 0, none([this] { NextTicketRow(); }));
    method(QStringLiteral("SetFont"), 4, 4, [this](const VariantList& a) {
        SetFont(integer(a[0]), a[1].toBool(), a[2].toBool(), text(a[3]));
        return Variant();
    });
    method(QStringLiteral("EndTickets"), 0, 0, none([this] { EndTickets(); }));
    property(QStringLiteral("RowPrinting"), [this](const VariantList&) { return Variant(m_RowPrinting); });
    property(QStringLiteral("CurX"), [this](const VariantList&) { return singleValue(CurX()); });
    property(QStringLiteral("CurY"), [this](const VariantList&) { return singleValue(CurY()); });
    property(QStringLiteral("LastRow"), [this](const VariantList&) { return Variant(LastRow()); });
    property(QStringLiteral("BackImageFile"), [this](const VariantList&) { return Variant(m_BackImageFile); });
    property(QStringLiteral("BackImage"), [this](const VariantList&) { return pictureObject(m_BackImage); });
    property(QStringLiteral("TicketCount"), [this](const VariantList&) { return Variant::integer(m_TicketCount); });
    auto setter = [this](const VariantList& a, const Variant& v) { SetVar(a[0].toString(), v); };
    property(QStringLiteral("Vars"), [this](const VariantList& a) { return Vars(a[0].toString()); }, setter, 1, 1);
    property(QStringLiteral("Nums"), [this](const VariantList& a) { return Nums(a[0].toString()); }, setter, 1, 1);
    property(QStringLiteral("Strs"), [this](const VariantList& a) { return Strs(a[0].toString()); }, setter, 1, 1);
    property(QStringLiteral("VarsCount"), [this](const VariantList&) { return Variant::integer(VarsCount()); });
    method(QStringLiteral("ResetVars"), 0, 0, none([this] { ResetVars(); }));
}

PrintTarget& clsTiketScriptPrinter::target() const
{
    if (!m_Target)
        throw AppError::object(printerr::kDeviceNotReady, QString::fromLatin1(printerr::kSource),
                               QStringLiteral("Stampante non impostata."));
    return *m_Target;
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
            throw AppError::object(printerr::kPictureFailed, QString::fromLatin1(printerr::kSource),
                                   QStringLiteral("Impossibile caricare l'immagine \"%1\": %2")
                                       .arg(BackImageFile, reader.errorString()));
    }
    m_Target = std::move(target);
    m_Height = Height;
    m_Width = Width;
    m_Top = Top;
    m_Left = Left;
    m_Columns = Columns;
    m_RowsDim = RowsDim;
    m_RowsTop = RowsTop;
    m_RowsBottom = RowsBottom;
    m_BackImageFile = BackImageFile;
    m_BottomImageBorder = BottomImageBorder;
    m_BackImage = picture;
    m_settled = false;
    InitializeVars();
}

void clsTiketScriptPrinter::InitializeVars()
{
    PrintTarget& t = target();
    m_PosX = m_PosY = m_RowOffset = 0;
    m_ColumnIndex = 0;
    m_TicketCount = 0;
    m_RowPrinting = false;
    m_BackPainted = false;
    if (m_Columns == 0) m_Columns = 1;
    // Sizes left at 0 come from the page the current printer prints on, on either target.
    const QSizeF page = t.pageSizeMm();
    if (m_Height == 0) m_Height = float(page.height()) - m_Top;
    if (m_Width == 0) m_Width = (float(page.width()) - m_Left) / m_Columns;
    if (!t.isPrinter()) {
        const QSizeF strip(m_Left + m_Columns * m_Width, m_Top + m_Height);
        t.setPreviewScale(strip, strip);
    }
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

void clsTiketScriptPrinter::TxtOut(float nYPos, float nXPos, const QString& sText)
{
    PrintTarget& t = target();
    m_settled = false;
    EnsureBackImage();
    t.drawText(QPointF(CurX() + nXPos, CurY() + nYPos), sText);
}

void clsTiketScriptPrinter::BoxOut(float nYPos, float nXPos, float nYDim, float nXDim)
{
    PrintTarget& t = target();
    m_settled = false;
    EnsureBackImage();
    t.drawRect(QRectF(CurX() + nXPos, CurY() + nYPos, nXDim, nYDim), QColor(Qt::black));
}

void clsTiketScriptPrinter::EnsureBackImage()
{
    if (m_BackPainted) return;
    LoadBackImage();
    m_BackPainted = true;
}

void clsTiketScriptPrinter::LoadBackImage()
{
    m_settled = false;
    if (m_BackImage.isNull()) return;
    target().drawImage(QRectF(m_Left + m_PosX, m_Top + m_PosY, m_Width, m_Height - m_BottomImageBorder), m_BackImage);
}

void clsTiketScriptPrinter::NextTicket()
{
    PrintTarget& t = target();
    m_settled = false;
    t.annotate(QStringLiteral("NextTicket"));
    EnsureBackImage();
    if (!t.isPrinter()) {
        const float x = m_Left + m_PosX, y = m_Top + m_PosY;
        t.drawRect(QRectF(x + 1, y + 1, m_Width - 2, m_Height - 2), QColor(255, 0, 0));
        t.drawRect(QRectF(x + 1, y + m_RowsTop + 1, m_Width - 2, m_RowsBottom - m_RowsTop - 2), QColor(0, 255, 0));
    }
    ++m_ColumnIndex;
    if (m_ColumnIndex < m_Columns) {
        m_PosX += m_Width;
    } else {
        m_ColumnIndex = 0;
        m_PosX = 0;
        m_PosY += m_Height;
        // The next row of tickets must fit below the top margin as well, or its bottom
        // would be cut off. A preview shows one strip: further strips fall below it.
        if (t.isPrinter() && printobj::rowReachesBottom(m_Top + m_PosY, m_Height, t.scaleSizeMm().height())) {
            t.newPage();
            m_PosY = 0;
        }
    }
    m_BackPainted = false;
    if (m_TicketCount == INT16_MAX) throw AppError::overflow(QStringLiteral("clsTiketScriptPrinter"));
    ++m_TicketCount;
}

void clsTiketScriptPrinter::NextTicketRow()
{
    if (LastRow()) NextTicket();
    else m_RowOffset += m_RowsDim;
}

void clsTiketScriptPrinter::SetRowPrinting(bool flag)
{
    if (flag != m_RowPrinting) m_RowOffset = 0;
    m_RowPrinting = flag;
}

void clsTiketScriptPrinter::SetFont(int16_t nSize, bool bBold, bool bItalic, const QString& sFontName)
{
    PrintTarget& t = target();
    PrintFont f = t.font();
    if (!sFontName.isEmpty()) f.name = sFontName;
    f.size = nSize;
    f.bold = bBold;
    f.italic = bItalic;
    t.setFont(f);
}

void clsTiketScriptPrinter::EndTickets()
{
    // Settled first: a document that failed to end is not sent again on release.
    m_settled = true;
    m_PosX = m_PosY = 0;
    m_ColumnIndex = 0;
    if (m_Target && m_Target->isPrinter()) m_Target->endDocument();
}

void clsTiketScriptPrinter::AbortTickets()
{
    if (m_Target) m_Target->abortDocument();
    m_settled = true;
    m_PosX = m_PosY = 0;
    m_ColumnIndex = 0;
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
