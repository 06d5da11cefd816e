#pragma once

#include <QCoreApplication>
#include <QProgressBar>

#include "core/UiPorts.h"

namespace quillora {

// The event pump of a running program.
class QtEventPump : public EventPump {
  public:
    void processEvents() override { QCoreApplication::processEvents(); }
};

// ProgressBar1, a CaptionProgressBar: the bar spans 0 to 100 and its text is
// the caption, shown as written, for a caption carries file names whose "%"
// must not become numbers.
class ProgressBarPort : public ProgressPort {
  public:
    explicit ProgressBarPort(QProgressBar* bar) : bar_(bar) {}

    void setValue(double percent) override;
    void setCaption(const QString& caption) override;

  private:
    QProgressBar* bar_;
};

}  // namespace quillora
