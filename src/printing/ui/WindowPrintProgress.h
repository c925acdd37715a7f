#pragma once
// The progress window (frmMessage) as a job's PrintProgress.
#include "base/PrintProgress.h"

class QWidget;

// The progress window over the main window while the main window is the active one (the
// operator printing from it); otherwise nothing is shown and the job is never stopped.
std::unique_ptr<PrintProgress> MainWindowPrintProgress();
// The progress window over `owner`, whichever window is active.
std::unique_ptr<PrintProgress> WindowPrintProgress(QWidget* owner);
