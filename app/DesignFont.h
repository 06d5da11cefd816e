#pragma once

#include <QFont>

namespace quillora {

// The design's bold Arial at the given size. Where Arial itself is not
// installed (Debian ships none), Arial resolves to a font with its metrics,
// Liberation Sans or Arimo, so the captions fit their controls as designed
// instead of falling back to a wider sans serif.
QFont DesignFont(qreal points);

// The substitution DesignFont relies on; safe to call any number of times.
void SubstituteMetricCompatibleArial();

}  // namespace quillora
