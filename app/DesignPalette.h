#pragma once

#include <QColor>
#include <QWidget>

namespace quillora {

// Which colours a control wears. Where the design paints a fixed colour, the
// text on it is a fixed colour too, so no user scheme can make it vanish;
// everywhere else the user's palette decides, role by role.

// The design's white window, frame and options, with dark text on them.
void WearDesignWhite(QWidget& area);
// The same for an area whose own fields (the option indicators) are white too.
void WearDesignWhiteFields(QWidget& area);
// The user's window colours, so that a white parent does not show through
// the frames, headers and scroll bars of a control the user's palette colours.
void WearUserWindow(QWidget& control);
// The skin's face: the palette's Button colour with its ButtonText; every
// other role back to the user's palette.
void WearButtonFace(QWidget& area);

// Keeps the colours taken from the user's palette in step when the scheme
// changes while the window is open (a desktop switching to dark, say).
void FollowSchemeChanges(QWidget& window);

// The system's button-face colour, which skinned windows wear.
QColor ButtonFaceColour();

}  // namespace quillora
