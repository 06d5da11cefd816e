#pragma once

#include <QString>
#include <QStringList>

// The few things the rooms' logic needs of the window, as small interfaces,
// so that the logic runs in tests without a screen. Form1 implements them
// over real widgets; tests implement them with scripted answers.
namespace quillora {

// The window's one pointer setting.
enum class Pointer { Default, Busy, Hand };

class PointerPort {
  public:
    virtual ~PointerPort() = default;
    virtual Pointer pointer() const = 0;
    virtual void setPointer(Pointer pointer) = 0;
    bool isBusy() const { return pointer() == Pointer::Busy; }
};

// ProgressBar1: a value from 0 to 100 and a caption.
class ProgressPort {
  public:
    virtual ~ProgressPort() = default;
    virtual void setValue(double percent) = 0;
    virtual void setCaption(const QString& caption) = 0;
};

// Lets pending user-interface events run, then returns.
class EventPump {
  public:
    virtual ~EventPump() = default;
    virtual void processEvents() = 0;
};

enum class MessageIcon { None, Information, Warning };

// Every modal question the program asks.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // An OK-only box; an empty title shows the application title.
    virtual void message(const QString& text, const QString& title = {},
                         MessageIcon icon = MessageIcon::None) = 0;
    // The input box; cancel answers the empty text.
    virtual QString inputBox(const QString& prompt, const QString& title) = 0;
    // Open dialog allowing several files; full paths, none on cancel.
    virtual QStringList openFiles(const QString& title, const QString& filter) = 0;
    // Save dialog; the empty text on cancel.
    virtual QString saveFile(const QString& title, const QString& filter) = 0;
};

}  // namespace quillora
