#pragma once

class QAbstractItemView;

namespace quillora {

// Lets a screen reader meet the number list as it always has: a tree whose
// rows, one cell each, are read through the table interface. Qt speaks for
// an item view of its own class as a plain table; the interface it makes
// for it is kept and answers everything but the role.
void SpeakAsTree(QAbstractItemView& view);

}  // namespace quillora
