#pragma once

#include <QProgressBar>
#include <QString>

namespace quillora {

// ProgressBar1's widget. Its format is read as QProgressBar reads it (%p, %v
// and %m stand for the percentage, the value and the steps), and "%%" stands
// for one "%", so that a caption can show any text, a file name like
// "rate%p%v.txt" too, once EscapedCaption has doubled its percent signs.
class CaptionProgressBar : public QProgressBar {
  public:
    using QProgressBar::QProgressBar;
    QString text() const override;
};

// The format that shows the caption as it is written.
QString EscapedCaption(const QString& caption);

}  // namespace quillora
