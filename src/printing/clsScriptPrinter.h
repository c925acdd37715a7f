#pragma once
// The label print object: the `prn` a label script draws on. Labels of one size are placed
// in columns across the page and row under row, with a new page when the next row of labels
// would not fit; on a preview surface the strip of one row is shown with a frame around
// every label. All lengths are millimetres from the current label's corner.
//
// Releasing the object ends the document (EndLabels) unless it was ended or dropped already.
#include "ScriptPrintObject.h"

class clsScriptPrinter : public ScriptPrintObject {
public:
    clsScriptPrinter();

    // A printer by device name: the installed printer of exactly that name becomes the
    // program's current printer; no match keeps the current one. Then the geometry is set
    // and the position reset.
    void SetPrinter(const QString& printerName, float Height, float Width, float Top, float Left, int16_t Columns);
    // A given target: a preview surface, a PDF file or a recording.
    void SetPrinter(std::shared_ptr<PrintTarget> target, float Height, float Width, float Top, float Left,
                    int16_t Columns);
    void NextLabel();
    void EndLabels() { endDocument(); }
    // Drops the document under way: nothing drawn since the last end reaches the printer.
    void AbortLabels() { abortDocument(); }

private:
    void InitPrinter();
    Origin drawingOrigin() const override { return {m_Left + m_PosX, m_Top + m_PosY}; }
};
