#include "app/NumberListAccessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleInterface>

namespace quillora {

namespace {

const char kTreeProperty[] = "quilloraSpeaksAsTree";

// Qt's own interface for the view, but for the role.
class TreeSpeaker : public QAccessibleInterface {
  public:
    explicit TreeSpeaker(QAccessibleInterface* table) : table_(table) {}
    ~TreeSpeaker() override {
        // Qt keeps the table's interface in its cache; it goes with this one.
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(table_));
    }
    TreeSpeaker(const TreeSpeaker&) = delete;
    TreeSpeaker& operator=(const TreeSpeaker&) = delete;

    bool isValid() const override { return table_->isValid(); }
    QObject* object() const override { return table_->object(); }
    QWindow* window() const override { return table_->window(); }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override {
        return table_->relations(match);
    }
    QAccessibleInterface* focusChild() const override { return table_->focusChild(); }
    QAccessibleInterface* childAt(int x, int y) const override { return table_->childAt(x, y); }
    QAccessibleInterface* parent() const override { return table_->parent(); }
    QAccessibleInterface* child(int index) const override { return table_->child(index); }
    int childCount() const override { return table_->childCount(); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return table_->indexOfChild(child);
    }
    QString text(QAccessible::Text t) const override { return table_->text(t); }
    void setText(QAccessible::Text t, const QString& text) override { table_->setText(t, text); }
    QRect rect() const override { return table_->rect(); }
    QAccessible::Role role() const override { return QAccessible::Tree; }
    QAccessible::State state() const override { return table_->state(); }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return table_->interface_cast(type);
    }

  private:
    QAccessibleInterface* table_;
};

QAccessibleInterface* Speaker(const QString&, QObject* object) {
    static bool asking = false;
    if (asking || object == nullptr || !object->property(kTreeProperty).toBool()) {
        return nullptr;
    }
    // Asked again without this factory, Qt makes its table interface for the view.
    asking = true;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(object);
    asking = false;
    if (table == nullptr) {
        return nullptr;
    }
    return new TreeSpeaker(table);
}

}  // namespace

void SpeakAsTree(QAbstractItemView& view) {
    static const bool installed = [] {
        QAccessible::installFactory(&Speaker);
        return true;
    }();
    (void)installed;
    view.setProperty(kTreeProperty, true);
}

}  // namespace quillora
