#pragma once
// What the label and the receipt print objects share: pieces of one size (labels or
// tickets) placed in columns across the page and row under row, drawn on one target; text
// and boxes in millimetres from the current piece; the font; and the end of the document,
// which also runs when the object is released unless it was ended or dropped already.
//
// Each object adds how it is set up, where inside a piece its drawing starts, and how it
// moves to the next piece.
#include "vbscript/HostObject.h"
#include "PrintTarget.h"

#include <QSizeF>
#include <cstdint>
#include <memory>

class ScriptPrintObject : public vbs::HostObject {
public:
    ~ScriptPrintObject() override;
    ScriptPrintObject(const ScriptPrintObject&) = delete;
    ScriptPrintObject& operator=(const ScriptPrintObject&) = delete;

    void TxtOut(float nYPos, float nXPos, const QString& sText);
    void BoxOut(float nYPos, float nXPos, float nYDim, float nXDim);
    // An empty font name keeps the current font.
    void SetFont(int16_t nSize, bool bBold, bool bItalic, const QString& sFontName);

    float PosX() const { return m_PosX; }
    float PosY() const { return m_PosY; }
    float Height() const { return m_Height; }
    float Width() const { return m_Width; }
    float Top() const { return m_Top; }
    float Left() const { return m_Left; }
    int16_t Columns() const { return m_Columns; }
    int16_t ColumnIndex() const { return m_ColumnIndex; }
    const std::shared_ptr<PrintTarget>& Target() const { return m_Target; }

protected:
    // `endName` is the script's name of the end of the document ("EndLabels").
    ScriptPrintObject(const QString& typeName, const char* endName);

    // The target and the pieces' geometry; the position is the caller's to reset.
    void setGeometry(std::shared_ptr<PrintTarget> target, float Height, float Width, float Top, float Left,
                     int16_t Columns);
    // Back to the first piece of the page; Columns 0 is taken as 1.
    void resetPosition();
    // The strip a preview shows: one row of pieces with the margins.
    QSizeF stripSize() const;
    // Moves to the next piece of the row, or to the first of the next row: true in that case,
    // when the caller decides whether the new row still fits on the page.
    bool nextPiece();

    // The target; AppError when none is set.
    PrintTarget& target() const;
    // Something is drawn: the document will need ending.
    void drawn() { m_settled = false; }

    // Ends the document on a printer (the preview keeps what it shows), and returns to the
    // first piece.
    void endDocument();
    // Drops the document under way: nothing drawn since the last end reaches the printer.
    void abortDocument();

    // Where a piece's drawing is measured from (single precision, as the positions the
    // scripts give are added to it), and what comes before the first drawing.
    struct Origin {
        float x;
        float y;
    };
    virtual Origin drawingOrigin() const = 0;
    virtual void beforeDrawing() { }

    float m_PosX = 0;
    float m_PosY = 0;
    float m_Height = 0;
    float m_Width = 0;
    float m_Top = 0;
    float m_Left = 0;
    int16_t m_Columns = 1;
    int16_t m_ColumnIndex = 0;

private:
    std::shared_ptr<PrintTarget> m_Target;
    const char* m_endName;
    bool m_settled = true;   // nothing drawn since the document was ended or dropped
};
