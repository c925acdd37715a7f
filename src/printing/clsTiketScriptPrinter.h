#pragma once
// The receipt print object: the `prn` a receipt script draws on. Tickets are placed like
// labels (columns across the page, rows under rows); inside each ticket a rows area takes
// the sale rows and information lines one under another, a background picture is painted
// once per ticket, and the scripts keep named variables between calls.
//
// While row printing is on, positions are relative to the current print row of the rows
// area; otherwise to the ticket's corner. Releasing the object ends the document
// (EndTickets) unless it was ended or dropped already.
#include "ScriptPrintObject.h"

#include <QHash>
#include <QImage>

class clsTiketScriptPrinter : public ScriptPrintObject {
public:
    clsTiketScriptPrinter();

    // The printer by device name as for labels, or a given target. A background picture
    // file is loaded first; a picture that cannot be loaded raises AppError.
    void SetPrinter(const QString& printerName, float Height, float Width, float Top, float Left, int16_t Columns,
                    float RowsDim, float RowsTop, float RowsBottom, const QString& BackImageFile,
                    float BottomImageBorder);
    void SetPrinter(std::shared_ptr<PrintTarget> target, float Height, float Width, float Top, float Left,
                    int16_t Columns, float RowsDim, float RowsTop, float RowsBottom, const QString& BackImageFile,
                    float BottomImageBorder);
    void InitializeVars();
    void LoadBackImage();
    void NextTicket();
    void NextTicketRow();
    void EndTickets() { endDocument(); }
    // Drops the document under way: nothing drawn since the last end reaches the printer.
    void AbortTickets() { abortDocument(); }

    bool RowPrinting() const { return m_RowPrinting; }
    float CurX() const { return m_Left + m_PosX; }
    float CurY() const;
    bool LastRow() const;
    const QString& BackImageFile() const { return m_BackImageFile; }
    const QImage& BackImage() const { return m_BackImage; }
    int16_t TicketCount() const { return m_TicketCount; }

    // The scripts' variables: one collection under three names; keys ignore case.
    vbs::Variant Vars(const QString& key) const;   // Empty when missing
    vbs::Variant Nums(const QString& key) const;   // 0 when missing
    vbs::Variant Strs(const QString& key) const;   // "" when missing
    void SetVar(const QString& key, const vbs::Variant& value);
    int16_t VarsCount() const { return int16_t(m_Vars.size()); }
    void ResetVars() { m_Vars.clear(); }

    // For the runners only: rows and information lines (True) or the ticket's mask (False).
    // A change of the flag starts again at the top of the rows area.
    void SetRowPrinting(bool flag);

    float RowOffset() const { return m_RowOffset; }

private:
    void EnsureBackImage();
    void registerMembers();
    Origin drawingOrigin() const override { return {CurX(), CurY()}; }
    void beforeDrawing() override { EnsureBackImage(); }

    float m_RowOffset = 0;
    float m_RowsDim = 0;
    float m_RowsTop = 0;
    float m_RowsBottom = 0;
    int16_t m_TicketCount = 0;
    bool m_RowPrinting = false;
    bool m_BackPainted = false;
    QString m_BackImageFile;
    float m_BottomImageBorder = 0;
    QImage m_BackImage;
    QHash<QString, vbs::Variant> m_Vars;   // by lower-case key
};
