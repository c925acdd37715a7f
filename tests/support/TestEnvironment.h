#pragma once
#include <QByteArray>
#include <QString>

// Every test executable runs with XDG_CONFIG_HOME, XDG_DATA_HOME and TMPDIR pointed at a
// fresh temporary folder, so no test reads or writes the user's own settings or data.
namespace testenv {
QString root();   // the temporary folder of this run
QString newDir(const QString& name);   // a fresh sub-folder of it

// A file's whole content; "<missing>" when it cannot be read.
QByteArray readFile(const QString& path);
// Replaces the file's content with `data`; a file that cannot be opened fails the test.
void writeFile(const QString& path, const QByteArray& data);

// While it lives, this process writes no file beyond `bytes` (a full disk, seen by write()
// as a short write and then EFBIG; the signal that would end the process is ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long m_soft;
    void (*m_handler)(int);
};
}
