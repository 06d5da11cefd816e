#pragma once

#include <QString>
#include <QWidget>

namespace quillora {

// SkinFramework1: draws the window from a skin file, which is a Qt style
// sheet. Its calls are made in a fixed order by ApplySkin: load the skin,
// or 1 into the options, switch on the two properties, apply to the window.
class SkinFramework {
  public:
    // Option flag 1: every control of the window is polished with the skin at
    // once, so the window never shows half-skinned.
    static constexpr int kPolishControls = 1;

    virtual ~SkinFramework() = default;

    // Reads the skin file; throws "Invalid skin file" when it is not a style
    // sheet Qt can parse, or the platform's text when it cannot be read. The
    // second argument names a colour scheme inside the skin; style sheets
    // have none, so it is the empty text.
    virtual void loadSkin(const QString& path, const QString& scheme);

    virtual int options() const { return options_; }
    virtual void setOptions(int options) { options_ = options; }
    // Property 5: skinning is switched on; without it applyWindow does nothing.
    virtual void setEnabled(bool enabled) { enabled_ = enabled; }
    // Property 10: the window repaints as soon as the skin is applied.
    virtual void setRepaintOnApply(bool repaint) { repaintOnApply_ = repaint; }
    // Puts the loaded skin on the window; throws "No skin loaded" before loadSkin.
    virtual void applyWindow(QWidget& window);

    const QString& styleSheet() const { return styleSheet_; }

  private:
    QString styleSheet_;
    bool loaded_ = false;
    int options_ = 0;
    bool enabled_ = false;
    bool repaintOnApply_ = false;
};

// True when Qt parses the text as a style sheet without complaint.
bool IsValidStyleSheet(const QString& sheet);

}  // namespace quillora
