#include "RecordingTarget.h"

QString mmText(double mm)
{
    QString s = QString::number(mm, 'f', 3);
    while (s.endsWith(u'0')) s.chop(1);
    if (s.endsWith(u'.')) s.chop(1);
    if (s == QLatin1String("-0")) s = QStringLiteral("0");
    return s;
}

void RecordingTarget::add(Event e)
{
    e.page = m_breaks;
    m_events.push_back(std::move(e));
}

void RecordingTarget::setPreviewScale(const QSizeF& strip, const QSizeF& scale)
{
    (void)strip;
    if (m_printer) return;
    m_scale = scale;
    Event e;
    e.kind = Event::Scale;
    e.op.rect = QRectF(QPointF(), scale);
    add(e);
}

void RecordingTarget::drawText(const QPointF& at, const QString& text)
{
    Event e;
    e.op.kind = DrawOp::Text;
    e.op.rect = QRectF(at, QSizeF());
    e.op.text = text;
    e.op.font = m_font;
    add(e);
}

void RecordingTarget::drawRect(const QRectF& rect, const QColor& color)
{
    Event e;
    e.op.kind = DrawOp::Rect;
    e.op.rect = rect;
    e.op.color = color;
    add(e);
}

void RecordingTarget::drawImage(const QRectF& rect, const QImage& image)
{
    Event e;
    e.op.kind = DrawOp::Image;
    e.op.rect = rect;
    e.op.image = image;
    add(e);
}

void RecordingTarget::newPage()
{
    Event e;
    e.op.kind = DrawOp::NewPage;
    add(e);
    ++m_breaks;
}

void RecordingTarget::endDocument()
{
    Event e;
    e.kind = Event::End;
    add(e);
    m_ended = true;
}

void RecordingTarget::abortDocument()
{
    Event e;
    e.kind = Event::Abort;
    add(e);
    m_aborted = true;
}

void RecordingTarget::annotate(const QString& note)
{
    Event e;
    e.kind = Event::Note;
    e.note = note;
    add(e);
}

std::vector<DrawOp> RecordingTarget::drawings() const
{
    std::vector<DrawOp> out;
    for (const Event& e : m_events)
        if (e.kind == Event::Draw && e.op.kind != DrawOp::NewPage) out.push_back(e.op);
    return out;
}

QStringList RecordingTarget::texts() const
{
    QStringList out;
    for (const DrawOp& op : drawings())
        if (op.kind == DrawOp::Text) out << op.text;
    return out;
}

QStringList RecordingTarget::trace() const
{
    QStringList out;
    for (const Event& e : m_events) {
        const QRectF& r = e.op.rect;
        switch (e.kind) {
        case Event::End: out << QStringLiteral("end"); continue;
        case Event::Abort: out << QStringLiteral("abort"); continue;
        case Event::Note: out << QStringLiteral("# ") + e.note; continue;
        case Event::Scale:
            out << QStringLiteral("scale w=%1 h=%2").arg(mmText(r.width()), mmText(r.height()));
            continue;
        case Event::Draw: break;
        }
        switch (e.op.kind) {
        case DrawOp::Text: {
            QString font = e.op.font.name + u' ' + QString::number(e.op.font.size);
            if (e.op.font.bold) font += QStringLiteral(" bold");
            if (e.op.font.italic) font += QStringLiteral(" italic");
            out << QStringLiteral("text x=%1 y=%2 \"%3\" %4").arg(mmText(r.x()), mmText(r.y()), e.op.text, font);
            break;
        }
        case DrawOp::Rect:
            out << QStringLiteral("box x=%1 y=%2 w=%3 h=%4 %5")
                       .arg(mmText(r.x()), mmText(r.y()), mmText(r.width()), mmText(r.height()), e.op.color.name());
            break;
        case DrawOp::Image:
            out << QStringLiteral("image x=%1 y=%2 w=%3 h=%4")
                       .arg(mmText(r.x()), mmText(r.y()), mmText(r.width()), mmText(r.height()));
            break;
        case DrawOp::NewPage: out << QStringLiteral("newpage"); break;
        }
    }
    return out;
}
