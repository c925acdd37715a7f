#pragma once
// The script files of the label and receipt settings: plain text, lines ended by CR LF. A
// receipt script file also carries the receipt's geometry in head lines "'#Key=value".
//
// Reading gives each line of the file followed by CR LF; writing ends the text with one
// CR LF only when it does not end with a line end already. So a script loaded and saved
// again comes back byte for byte, however many times it goes round, instead of growing by
// an empty line each time.
#include <QMap>
#include <QString>
#include <QStringList>

// The script of a file, each of its lines followed by CR LF (lines may end with CR LF, LF
// or CR). A file that is not UTF-8 is read as Windows-1252, the 8-bit code script files
// come in. Raises AppError naming the file when it cannot be read.
QString ReadScriptFile(const QString& path);
// Writes the script as a whole or not at all. Raises AppError naming the file.
void WriteScriptFile(const QString& path, const QString& script);

// The head-line keys of a receipt script file, in the order they are written.
const QStringList& TicketScriptHeadKeys();

struct TicketScriptFile {
    QMap<QString, QString> head;   // the values of the known keys that the file has
    QString script;   // every other line, each followed by CR LF
};

// A head line is a line starting with "'#" that holds a "=": its key runs to the first "=",
// its value is everything after it. Head lines never enter the script, wherever they stand
// in the file; only the keys of TicketScriptHeadKeys (exact case) are kept.
TicketScriptFile ReadTicketScriptFile(const QString& path);
// The known keys of `head` as head lines, in their order (a missing one with an empty
// value), then the script as WriteScriptFile writes it.
void WriteTicketScriptFile(const QString& path, const QMap<QString, QString>& head, const QString& script);

// The script with the line ends of the editor ("\n") and back with those of the store.
QString ScriptForEditor(const QString& script);
QString ScriptFromEditor(const QString& text);
