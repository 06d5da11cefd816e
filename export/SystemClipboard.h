#pragma once

#include "export/ClipboardExport.h"

namespace quillora {

// The desktop's clipboard through QClipboard. Qt does not say when another
// program keeps the text from landing, so a set counts only once the
// clipboard reads the text back.
class SystemClipboard : public ClipboardPort {
  public:
    bool clear() override;
    bool setText(const QString& text) override;
    bool setTextAndHtml(const QString& text, const QString& html) override;
};

}  // namespace quillora
