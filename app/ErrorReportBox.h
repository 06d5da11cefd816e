#pragma once

#include <string>

#include <QString>

#include "core/StepReport.h"
#include "core/UiPorts.h"

namespace quillora {

inline constexpr const char* kSupportAddress = "support@tolvenrix.example";
inline const QString kErrorReportTitle = QStringLiteral("Application Error");

// The common error report: the "Application Error" box with the warning icon,
// shown through the window's dialogs so that every report is modal to it.
class ErrorReportBox : public FailureReport {
  public:
    explicit ErrorReportBox(Dialogs& dialogs) : dialogs_(dialogs) {}

    void Report(const std::string& description, const std::string& location, int label) override;

  private:
    Dialogs& dialogs_;
};

}  // namespace quillora
