#include "app/ErrorReportBox.h"

namespace quillora {

void ErrorReportBox::Report(const std::string& description, const std::string& location,
                            int label) {
    const std::string text = ApplicationErrorText(description, location, label, kSupportAddress);
    dialogs_.message(QString::fromStdString(text), kErrorReportTitle, MessageIcon::Warning);
}

}  // namespace quillora
