#pragma once

#include <QProgressBar>

namespace quillora {

// A screen reader reads a progress bar's value; ProgressBar1's caption is
// what tells the user what is under way ("Writing file: ..."), so its
// accessible value is the caption, while the numbers stay readable through
// the value interface.
void SpeakCaptionAsValue(QProgressBar& bar);

}  // namespace quillora
