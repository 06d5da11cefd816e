#include "app/OptionTabStop.h"

#include <QFocusEvent>

namespace quillora {

namespace {

// The option that is on among the exclusive siblings of this one, if any.
QAbstractButton* ChosenSibling(const QAbstractButton& option) {
    if (!option.autoExclusive() || option.parentWidget() == nullptr) {
        return nullptr;
    }
    const auto siblings =
        option.parentWidget()->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
    for (QAbstractButton* sibling : siblings) {
        if (sibling != &option && sibling->autoExclusive() && sibling->isChecked() &&
            sibling->isEnabled() && sibling->isVisible()) {
            return sibling;
        }
    }
    return nullptr;
}

}  // namespace

void ChosenOptionTabStop::watch(QAbstractButton& option) {
    option.installEventFilter(this);
}

bool ChosenOptionTabStop::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusIn) {
        return false;
    }
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    auto* option = qobject_cast<QAbstractButton*>(watched);
    if (option == nullptr || option->isChecked() ||
        (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason)) {
        return false;
    }
    if (QAbstractButton* chosen = ChosenSibling(*option)) {
        chosen->setFocus(reason);
    }
    return false;
}

}  // namespace quillora
