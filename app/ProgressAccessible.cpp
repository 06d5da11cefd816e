#include "app/ProgressAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace quillora {

namespace {

const char* const kCaptionIsValue = "quilloraCaptionIsValue";

class CaptionedProgress : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    explicit CaptionedProgress(QProgressBar* bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) {
            return bar()->text();
        }
        return QAccessibleWidget::text(kind);
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override { return bar()->value(); }
    void setCurrentValue(const QVariant& /*value*/) override {}  // the user cannot set it
    QVariant maximumValue() const override { return bar()->maximum(); }
    QVariant minimumValue() const override { return bar()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

  private:
    QProgressBar* bar() const { return static_cast<QProgressBar*>(widget()); }
};

QAccessibleInterface* CaptionedProgressFactory(const QString& /*className*/, QObject* object) {
    auto* bar = qobject_cast<QProgressBar*>(object);
    if (bar != nullptr && bar->property(kCaptionIsValue).toBool()) {
        return new CaptionedProgress(bar);  // QAccessible owns its interfaces
    }
    return nullptr;
}

}  // namespace

void SpeakCaptionAsValue(QProgressBar& bar) {
    static const bool installed = [] {
        QAccessible::installFactory(CaptionedProgressFactory);
        return true;
    }();
    (void)installed;
    bar.setProperty(kCaptionIsValue, true);
}

}  // namespace quillora
