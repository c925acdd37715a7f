#pragma once
// The receipt print object: the `prn` a receipt script draws on. Tickets are placed like
// labels (columns across the page, rows under rows); inside each ticket a rows area takes
// the sale rows and information lines one under another, a background picture is painted
// once per ticket, and the scripts keep named variables between calls.
//
// While row printing is on, positions are relative to the current print row of the rows
// area; otherwise to the ticket's corner. Releasing the object ends the document
// (EndTickets) unless it was ended or dropped already.
#include "HostObject.h"
#include "PrintTarget.h"

#include <QHash>
#include <QImage>
#include <cstdint>
#include <memory>

class clsTiketScriptPrinter : public vbs::HostObject {
public:
    clsTiketScriptPrinter();
    ~clsTiketScriptPrinter() override;
    clsTiketScriptPrinter(const clsTiketScriptPrinter&) = delete;
    clsTiketScriptPrinter& operator=(const clsTiketScriptPrinter&) = delete;

    // The printer by device name as for labels, or a given target. A background picture
    // file is loaded first; a picture that cannot be loaded raises AppError.
    void SetPrinter(const QString& printerName, float Height, float Width, float Top, float Left, int16_t Columns,
                    float RowsDim, float RowsTop, float RowsBottom, const QString& BackImageFile,
                    float BottomImageBorder);
    void SetPrinter(std::shared_ptr<PrintTarget> target, float Height, float Width, float Top, float Left,
                    int16_t Columns, float RowsDim, float RowsTop, float RowsBottom, const QString& BackImageFile,
                    float BottomImageBorder);
    void InitializeVars();
    void TxtOut(float nYPos, float nXPos, const QString& sText);
    void BoxOut(float nYPos, float nXPos, float nYDim, float nXDim);
    void LoadBackImage();
    void NextTicket();
    void NextTicketRow();
    void SetFont(int16_t nSize, bool bBold, bool bItalic, const QString& sFontName);
    void EndTickets();
    // Drops the document under way: nothing drawn since the last end reaches the printer.
    void AbortTickets();

    bool RowPrinting() const { return m_RowPrinting; }
    float CurX() const { return m_Left + m_PosX; }
    float CurY() const;
    bool LastRow() const;
    const QString& BackImageFile() const { return m_BackImageFile; }
    const QImage& BackImage() const { return m_BackImage; }
    int16_t TicketCount() const { return m_TicketCount; }

    // The scripts' variables: one collection under three names; keys ignore case.
    vbs::Variant Vars(const QString& key) const;         // Empty when missing
    vbs::Variant Nums(const QString& key) const;         // 0 when missing
    vbs::Variant Strs(const QString& key) const;         // "" when missing
    void SetVar(const QString& key, const vbs::Variant& value);
    int16_t VarsCount() const { return int16_t(m_Vars.size()); }
    void ResetVars() { m_Vars.clear(); }

    // For the runners only: rows and information lines (True) or the ticket's mask (False).
    // A change of the flag starts again at the top of the rows area.
    void SetRowPrinting(bool flag);

    float PosX() const { return m_PosX; }
    float PosY() const { return m_PosY; }
    float RowOffset() const { return m_RowOffset; }
    float Height() const { return m_Height; }
    float Width() const { return m_Width; }
    int16_t Columns() const { return m_Columns; }
    int16_t ColumnIndex() const { return m_ColumnIndex; }
    const std::shared_ptr<PrintTarget>& Target() const { return m_Target; }

private:
    void EnsureBackImage();
    PrintTarget& target() const;
    void registerMembers();

    float m_PosX = 0;
    float m_PosY = 0;
    float m_RowOffset = 0;
    float m_Height = 0;
    float m_Width = 0;
    float m_RowsDim = 0;
    float m_RowsTop = 0;
    float m_RowsBottom = 0;
    float m_Top = 0;
    float m_Left = 0;
    int16_t m_Columns = 1;
    int16_t m_ColumnIndex = 0;
    int16_t m_TicketCount = 0;
    std::shared_ptr<PrintTarget> m_Target;
    bool m_RowPrinting = false;
    bool m_BackPainted = false;
    QString m_BackImageFile;
    float m_BottomImageBorder = 0;
    QImage m_BackImage;
    QHash<QString, vbs::Variant> m_Vars;   // by lower-case key
    bool m_settled = true;          // nothing drawn since the document was ended or dropped
};
