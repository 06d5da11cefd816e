#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTreeView>
#include <QUrl>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/Form1.h"
#include "app/NumberListView.h"
#include "input/PastedNumbers.h"

// What a desktop user expects of the window beyond its buttons: Enter on a
// focused button, copying from and pasting into the lists, dropping numbers
// and files, and taking back the last loss of entries.
namespace quillora {

namespace {

bool IsEnter(const QKeyEvent& key) {
    const auto plain = key.modifiers() & ~Qt::KeypadModifier;
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && plain == Qt::NoModifier;
}

// Key and drop events of the window's controls, handed to Form1's handlers.
class DesktopEvents : public QObject {
  public:
    DesktopEvents(Form1& form, QAbstractItemView& list1, QAbstractItemView& list2)
        : QObject(&form), form_(form), list1_(list1), list2_(list2) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::ShortcutOverride:
            case QEvent::KeyPress:
                return key(watched, *static_cast<QKeyEvent*>(event));
            case QEvent::DragEnter:
            case QEvent::DragMove:
                return watched == &form_ && dragOver(*static_cast<QDragMoveEvent*>(event));
            case QEvent::Drop:
                return watched == &form_ && drop(*static_cast<QDropEvent*>(event));
            default:
                return false;
        }
    }

  private:
    bool key(QObject* watched, QKeyEvent& key) {
        const bool press = key.type() == QEvent::KeyPress;
        if (auto* button = qobject_cast<QPushButton*>(watched); button != nullptr && IsEnter(key)) {
            // Pressed like Space presses it, once per press, not per repeat.
            if (press && !key.isAutoRepeat() && button->isEnabled()) {
                button->click();
            }
            key.accept();
            return press;
        }
        if (watched == &list1_ && press && key.key() == Qt::Key_Delete &&
            key.modifiers() == Qt::NoModifier && form_.ListView1_DeleteSelection()) {
            return true;
        }
        if ((watched == &list1_ || watched == &list2_) && key.matches(QKeySequence::Copy)) {
            // The view's own copy takes the current cell alone.
            key.accept();
            if (press) {
                watched == &list1_ ? form_.ListView1_Copy() : form_.ListView2_Copy();
            }
            return press;
        }
        return false;
    }

    bool dragOver(QDragMoveEvent& drag) {
        const QMimeData* data = drag.mimeData();
        const bool wanted = data != nullptr && (data->hasUrls() || data->hasText()) &&
                            !form_.busy().hourglassUp() && !form_.runUnderWay();
        drag.setAccepted(wanted);
        if (wanted) {
            drag.acceptProposedAction();
        }
        return true;
    }

    bool drop(QDropEvent& drop) {
        const QMimeData* data = drop.mimeData();
        if (data == nullptr) {
            return true;
        }
        // Taken before acting: the source may end the drag, and its data, at once.
        const QList<QUrl> urls = data->hasUrls() ? data->urls() : QList<QUrl>{};
        const QString text = urls.isEmpty() && data->hasText() ? data->text() : QString();
        drop.acceptProposedAction();
        if (!urls.isEmpty()) {
            form_.Form_DropFiles(urls);
        } else if (!text.isEmpty()) {
            form_.Form_DropText(text);
        }
        return true;
    }

    Form1& form_;
    QAbstractItemView& list1_;
    QAbstractItemView& list2_;
};

// The selected rows in list order, whatever order they were picked in, each
// once. Read from the selection's ranges: Ctrl+A over millions of entries is
// one range, and the rows are counted out of it without a model index each.
std::vector<int> SelectedRows(const QAbstractItemView& view) {
    std::vector<std::pair<int, int>> ranges;
    for (const QItemSelectionRange& range : view.selectionModel()->selection()) {
        if (range.isValid()) {
            ranges.emplace_back(range.top(), range.bottom());
        }
    }
    std::sort(ranges.begin(), ranges.end());
    std::vector<int> rows;
    int next = 0;  // the first row not yet taken
    for (auto [top, bottom] : ranges) {
        for (int row = std::max(top, next); row <= bottom; ++row) {
            rows.push_back(row);
        }
        next = std::max(next, bottom + 1);
    }
    return rows;
}

}  // namespace

void Form1::wireDesktop() {
    // Ctrl+A selects every entry, so the lists take more than one selected row.
    for (QAbstractItemView* view :
         std::initializer_list<QAbstractItemView*>{listView1_, listView2_}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
    auto* events = new DesktopEvents(*this, *listView1_, *listView2_);
    setAcceptDrops(true);
    installEventFilter(events);
    listView1_->installEventFilter(events);
    listView2_->installEventFilter(events);
    for (std::size_t index = 1; index < pushButtons_.size(); ++index) {
        pushButtons_.at(index)->installEventFilter(events);
    }
    auto* paste = new QShortcut(QKeySequence::Paste, this);
    connect(paste, &QShortcut::activated, this, &Form1::Form_Paste);
    auto* undo = new QShortcut(QKeySequence::Undo, this);
    connect(undo, &QShortcut::activated, this, &Form1::Form_Undo);

    undo_ = new ListUndo(*numbers_, this);
    undo_->setBase(currentBase());
    // Connected after the option handlers, so the base is told once its own
    // change has emptied the list.
    for (Base base : kAllBases) {
        connect(option(base), &QRadioButton::toggled, this, [this, base](bool on) {
            if (on) {
                undo_->setBase(base);
            }
        });
    }
}

void Form1::Form_Paste() {
    if (runUnderWay()) {
        return;
    }
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText()) {
        return;
    }
    const QString text = data->text();
    AddTextAsNumbers(inputContext(), text, "Form_Paste");
}

void Form1::Form_DropText(const QString& text) {
    if (!runUnderWay()) {
        AddTextAsNumbers(inputContext(), text, "Form_OLEDragDrop");
    }
}

void Form1::Form_DropFiles(const QList<QUrl>& files) {
    if (!runUnderWay()) {
        LoadFilesAsNumbers(inputContext(), files, "Form_OLEDragDrop");
    }
}

void Form1::LoadCommandLineFiles(const QStringList& arguments) {
    QList<QUrl> files;
    for (const QString& argument : arguments) {
        files << CommandLineFile(argument);
    }
    Form_DropFiles(files);
}

void Form1::Form_Undo() {
    if (runUnderWay() || busy_.hourglassUp()) {
        return;
    }
    Steps steps(report_, LocationName("Form1", "Form_Undo"));
    steps(100, [&] { undo_->undo([this](Base base) { selectOption(base); }); });
}

bool Form1::ListView1_DeleteSelection() {
    std::vector<int> rows = SelectedRows(*listView1_);
    if (rows.size() < 2) {
        return false;  // one entry goes the way it always has (ListView1_KeyDown)
    }
    if (!runUnderWay() && !busy_.hourglassUp()) {
        numbers_->removeEach(std::move(rows));
    }
    return true;
}

bool Form1::canUndo() const {
    return undo_->canUndo();
}

void Form1::ListView1_Copy() {
    QStringList lines;
    for (int row : SelectedRows(*listView1_)) {
        lines << numbers_->text(row);
    }
    if (!lines.isEmpty()) {
        SetClipboardTextWithRetry(*clipboard_, lines.join(QLatin1Char('\n')));
    }
}

void Form1::ListView2_Copy() {
    QStringList lines;
    for (int row : SelectedRows(*listView2_)) {
        QStringList cells;
        for (int column = 0; column < ResultsTableModel::kColumnCount; ++column) {
            cells << results_->text(row, column);
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    if (!lines.isEmpty()) {
        SetClipboardTextWithRetry(*clipboard_, lines.join(QLatin1Char('\n')));
    }
}

}  // namespace quillora
