#pragma once
#include <QString>

// Every test executable runs with XDG_CONFIG_HOME, XDG_DATA_HOME and TMPDIR pointed at a
// fresh temporary folder, so no test reads or writes the user's own settings or data.
namespace testenv {
QString root();            // the temporary folder of this run
QString newDir(const QString& name);   // a fresh sub-folder of it

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
