#pragma once
// A target that only remembers: every drawing, page break, end and note in order, with the
// page it fell on. It stands in for the printer (by default) or for a preview surface, so
// the placement rules can be checked without a device, and gives the trace of a job.
#include "PrintTarget.h"

#include <QStringList>

class RecordingTarget final : public PrintTarget {
public:
    struct Event {
        enum Kind { Draw, End, Abort, Note, Scale };
        Kind kind = Draw;
        DrawOp op;   // Draw (a NewPage drawing for a page break); Scale: op.rect holds the scale
        QString note;   // Note
        int page = 0;   // pages begun before it, from 0
    };

    // As a printer of the given page (the printable area the same as the page), or as a
    // preview surface.
    explicit RecordingTarget(QSizeF pageMm = QSizeF(210, 297), bool printer = true)
        : m_page(pageMm), m_scale(pageMm), m_printer(printer)
    { }

    QString typeName() const override { return m_printer ? QStringLiteral("Printer") : QStringLiteral("PictureBox"); }
    QSizeF pageSizeMm() const override { return m_page; }
    QSizeF scaleSizeMm() const override { return m_scale; }
    void setPreviewScale(const QSizeF& strip, const QSizeF& scale) override;
    // A printable area smaller than the page (a printer with margins of its own).
    void setPrintableSize(const QSizeF& mm) { m_scale = mm; }

    PrintFont font() const override { return m_font; }
    void setFont(const PrintFont& font) override { m_font = font; }
    void drawText(const QPointF& at, const QString& text) override;
    void drawRect(const QRectF& rect, const QColor& color) override;
    void drawImage(const QRectF& rect, const QImage& image) override;
    void newPage() override;
    void endDocument() override;
    void abortDocument() override;
    void annotate(const QString& note) override;

    const std::vector<Event>& events() const { return m_events; }
    // The drawings alone (no page breaks), in order.
    std::vector<DrawOp> drawings() const;
    // The texts drawn, in order.
    QStringList texts() const;
    // One line per event: "text x=0 y=85 "..." Arial 10 bold", "box x=.. y=.. w=.. h=.. #ff0000",
    // "image ...", "newpage", "end", "abort", notes as "# note".
    QStringList trace() const;
    int newPages() const { return m_breaks; }
    bool ended() const { return m_ended; }
    bool aborted() const { return m_aborted; }

private:
    void add(Event e);

    QSizeF m_page;
    QSizeF m_scale;
    bool m_printer;
    PrintFont m_font;
    std::vector<Event> m_events;
    int m_breaks = 0;
    bool m_ended = false;
    bool m_aborted = false;
};

// Millimetres as traces write them: up to three decimals, no trailing zeros ("32.5", "88").
QString mmText(double mm);
