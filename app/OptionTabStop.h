#pragma once

#include <QAbstractButton>
#include <QObject>

namespace quillora {

// Tab and Shift+Tab enter a group of option buttons at its chosen option, as
// on every desktop, so the keyboard, and a screen reader with it, lands on
// the base that is on rather than on the group's first option; the arrow
// keys then move inside the group.
class ChosenOptionTabStop : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    void watch(QAbstractButton& option);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace quillora
