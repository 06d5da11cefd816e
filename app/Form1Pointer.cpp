#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>

#include "app/Form1.h"
#include "app/NumberListView.h"

// Pointer feedback: the hand over the thirteen push buttons, the arrow over
// the background, the frame and the lists, and the hourglass always winning.
namespace quillora {

namespace {

bool IsHover(const QEvent* event) {
    return event->type() == QEvent::Enter || event->type() == QEvent::MouseMove;
}

template <class View>
bool IsPartOf(const View* view, const QObject* watched) {
    return watched == view || watched == view->viewport() || watched == view->header();
}

}  // namespace

void Form1::watchPointer() {
    setMouseTracking(true);
    for (std::size_t index = 1; index < pushButtons_.size(); ++index) {
        pushButtons_.at(index)->setMouseTracking(true);
        pushButtons_.at(index)->installEventFilter(this);
    }
    frame1_->setMouseTracking(true);
    frame1_->installEventFilter(this);
    const auto watchList = [this](QAbstractItemView* view, QWidget* header) {
        view->installEventFilter(this);
        view->viewport()->setMouseTracking(true);
        view->viewport()->installEventFilter(this);
        header->installEventFilter(this);
    };
    watchList(listView1_, listView1_->header());
    watchList(listView2_, listView2_->header());
}

void Form1::Form_MouseMove() {
    if (!isBusy()) {
        setPointer(Pointer::Default);
    }
}

void Form1::Frame1_MouseMove() {
    Form_MouseMove();
}
void Form1::ListView1_MouseMove() {
    Form_MouseMove();
}
void Form1::ListView2_MouseMove() {
    Form_MouseMove();
}

void Form1::PushButton_MouseMove(int /*button*/) {
    if (!isBusy()) {
        setPointer(Pointer::Hand);
    }
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    // Moves that a control passes on to the window are that control's, not the background's.
    if (childAt(event->position().toPoint()) == nullptr) {
        Form_MouseMove();
    }
    QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (IsHover(event)) {
        for (std::size_t index = 1; index < pushButtons_.size(); ++index) {
            if (watched == pushButtons_.at(index)) {
                PushButton_MouseMove(static_cast<int>(index));
            }
        }
        if (watched == frame1_) {
            Frame1_MouseMove();
        } else if (IsPartOf(listView1_, watched)) {
            ListView1_MouseMove();
        } else if (IsPartOf(listView2_, watched)) {
            ListView2_MouseMove();
        }
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == listView1_->viewport()) {
            ListView1_DblClick();
            return true;
        }
        if (watched == listView2_->viewport()) {
            ListView2_DblClick();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress && watched == listView1_) {
        ListView1_KeyDown(static_cast<const QKeyEvent*>(event)->key());
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quillora
