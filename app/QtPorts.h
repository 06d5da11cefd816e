#pragma once

#include <QCoreApplication>
#include <QProgressBar>

#include "calc/UiPorts.h"

namespace quillora {

// The event pump of a running program.
class QtEventPump : public EventPump {
  public:
    void processEvents() override { QCoreApplication::processEvents(); }
};

// ProgressBar1: the bar spans 0 to 100 and its text is the caption.
class ProgressBarPort : public ProgressPort {
  public:
    explicit ProgressBarPort(QProgressBar* bar) : bar_(bar) {}

    void setValue(double percent) override;
    void setCaption(const QString& caption) override { bar_->setFormat(caption); }

  private:
    QProgressBar* bar_;
};

}  // namespace quillora
