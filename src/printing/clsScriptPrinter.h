#pragma once
// The label print object: the `prn` a label script draws on. Labels of one size are placed
// in columns across the page and row under row, with a new page when the next row of labels
// would not fit; on a preview surface the strip of one row is shown with a frame around
// every label. All lengths are millimetres from the current label's corner.
//
// Releasing the object ends the document (EndLabels) unless it was ended or dropped already.
#include "HostObject.h"
#include "PrintTarget.h"

#include <cstdint>
#include <memory>

class clsScriptPrinter : public vbs::HostObject {
public:
    clsScriptPrinter();
    ~clsScriptPrinter() override;
    clsScriptPrinter(const clsScriptPrinter&) = delete;
    clsScriptPrinter& operator=(const clsScriptPrinter&) = delete;

    // A printer by device name: the installed printer of exactly that name becomes the
    // program's current printer; no match keeps the current one. Then the geometry is set
    // and the position reset.
    void SetPrinter(const QString& printerName, float Height, float Width, float Top, float Left, int16_t Columns);
    // A given target: a preview surface, a PDF file or a recording.
    void SetPrinter(std::shared_ptr<PrintTarget> target, float Height, float Width, float Top, float Left,
                    int16_t Columns);
    void TxtOut(float nYPos, float nXPos, const QString& sText);
    void BoxOut(float nYPos, float nXPos, float nYDim, float nXDim);
    void NextLabel();
    void SetFont(int16_t nSize, bool bBold, bool bItalic, const QString& sFontName);
    void EndLabels();
    // Drops the document under way: nothing drawn since the last end reaches the printer.
    void AbortLabels();

    float PosX() const { return m_PosX; }
    float PosY() const { return m_PosY; }
    float Height() const { return m_Height; }
    float Width() const { return m_Width; }
    float Top() const { return m_Top; }
    float Left() const { return m_Left; }
    int16_t Columns() const { return m_Columns; }
    int16_t ColumnIndex() const { return m_ColumnIndex; }
    const std::shared_ptr<PrintTarget>& Target() const { return m_Target; }

private:
    void InitPrinter();
    PrintTarget& target() const;
    void registerMembers();

    float m_PosX = 0;
    float m_PosY = 0;
    float m_Height = 0;
    float m_Width = 0;
    float m_Top = 0;
    float m_Left = 0;
    int16_t m_Columns = 1;
    int16_t m_ColumnIndex = 0;
    std::shared_ptr<PrintTarget> m_Target;
    bool m_settled = true;   // nothing drawn since the document was ended or dropped
};
