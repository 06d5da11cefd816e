#include "app/QtPorts.h"

#include <algorithm>
#include <cmath>

#include "app/CaptionProgressBar.h"

namespace quillora {

void ProgressBarPort::setValue(double percent) {
    // The run hands over a share of the list; anything out of range (or not a
    // number at all) must not reach the bar.
    const double clamped = std::isnan(percent) ? 0.0 : std::clamp(percent, 0.0, 100.0);
    bar_->setValue(static_cast<int>(std::lround(clamped)));
}

void ProgressBarPort::setCaption(const QString& caption) {
    bar_->setFormat(EscapedCaption(caption));
}

}  // namespace quillora
