#pragma once
// What a job shows while it runs (a receipt, a run of labels, a deletion of rows), and where
// the operator's Stop comes from. The windows that show it live with the windows; a job that
// nobody watches takes SilentPrintProgress.
#include <QString>
#include <cstdint>
#include <memory>

class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    virtual void show(const QString& text) = 0;
    virtual void start(int32_t maximum) = 0;
    // One step done; false once the operator has confirmed Stop.
    [[nodiscard]] virtual bool step() = 0;
    virtual void end() = 0;
    virtual void close() = 0;
};

// Nothing shown, never stopped: a job nobody watches.
std::unique_ptr<PrintProgress> SilentPrintProgress();
