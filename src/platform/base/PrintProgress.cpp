#include "PrintProgress.h"

namespace {

class SilentProgress final : public PrintProgress {
public:
    void show(const QString&) override { }
    void start(int32_t) override { }
    bool step() override { return true; }
    void end() override { }
    void close() override { }
};

}   // namespace

std::unique_ptr<PrintProgress> SilentPrintProgress() { return std::make_unique<SilentProgress>(); }
