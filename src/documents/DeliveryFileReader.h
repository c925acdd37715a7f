#pragma once
// Reading a supplier's delivery file through a record layout into a DeliveryTable: line by
// line, never the whole file in memory; each line kept or dropped by the layout's
// selections, cut into its fields, amounts converted, then offered to the layout's
// FilterRow script, which may change the record and decides whether it is kept.
#include "base/AppError.h"
#include "DeliveryLayout.h"
#include "DeliveryTable.h"
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <optional>

class Database;
class ImportLoop;

// The lines of a delivery file, laid out (see LineEncoding): each a character for each byte
// of the file, for the layout's places to cut, the pieces then made text in the file's one
// encoding. A file with a UTF-16 mark is UTF-16; any other is UTF-8 when the whole of it
// reads as UTF-8, else Windows-1252 (the 8-bit code suppliers' files come in): one way for
// every line, so a line cannot be cut otherwise than its neighbours. A byte-order mark is
// dropped wherever it stands (files joined one after the other carry one in the middle).
// A line ends at CR, LF or CR LF; a Ctrl+Z, the end-of-file mark some 8-bit text files
// carry, ends an 8-bit file.
class DeliveryLineSource {
public:
    // Raises AppError when the file cannot be opened or read.
    explicit DeliveryLineSource(const QString& path);
    // The next line without its end; false at the end of the file.
    bool next(QString& line);
    LineEncoding encoding() const { return m_encoding; }
    // A line or a piece of one as text.
    QString text(QStringView laidOut) const { return laidOutText(laidOut, m_encoding); }
    // The file's size, and how much of it the lines given out so far took (in bytes; about,
    // in a UTF-16 file).
    qint64 size() const { return m_file.size(); }
    qint64 position() const;

private:
    bool fill();
    bool nextEightBit(QString& line);
    bool nextWide(QString& line);
    void giveOut(QByteArrayView bytes, QString& line) const;

    QFile m_file;
    LineEncoding m_encoding = LineEncoding::SingleByte;
    QByteArray m_bytes;   // 8-bit files: bytes read and not yet given out
    qsizetype m_pos = 0;
    QString m_text;   // UTF-16 files: text decoded and not yet given out
    qsizetype m_textPos = 0;
    std::optional<QStringDecoder> m_wide;
    bool m_skipLf = false;   // the last line ended with CR: an LF right after it belongs to it
    bool m_atEnd = false;
};

// A failure while reading: what went wrong, the line of the file it happened on (0 before
// the first line) and, when the script failed, the script's line.
class DeliveryReadError : public AppError {
public:
    DeliveryReadError(const AppError& cause, qint64 record, std::optional<int> scriptLine);
    qint64 record;
    std::optional<int> scriptLine;
    // The message shown to the operator: "Errore in importazione dati: ", the error, the
    // record and the script line.
    QString messageText() const;
};

class DeliveryFileReader {
public:
    // db: the database whose currency conversion the amounts go through; may be null when
    // the layout converts nothing.
    DeliveryFileReader(const DeliveryLayout& layout, const Database* db);

    // Reads `path` into `table` (made anew from the layout). Raises DeliveryReadError; the
    // records read up to the error stay in the table. A stop confirmed by the operator ends
    // the reading with the records read so far.
    void read(const QString& path, DeliveryTable& table, ImportLoop* loop = nullptr);

    qint64 linesRead() const { return m_lines; }
    bool stopped() const { return m_stopped; }

    // The value of one field of a laid-out line of a file in `encoding` for a column of
    // `kind`: empty (null) when the line is too short or the field is not in the file; 0 or the empty text when the field is blank;
    // numbers with "," or "." as decimal separator; amounts converted, then divided, as the
    // layout says. Raises AppError for a number that does not read.
    QVariant fieldValue(QStringView line, LineEncoding encoding, const LayoutField& field,
                        DeliveryTable::Kind kind) const;

private:
    const DeliveryLayout& m_layout;
    const Database* m_db;
    qint64 m_lines = 0;
    bool m_stopped = false;
};
