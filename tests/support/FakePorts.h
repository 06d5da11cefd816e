#pragma once

// Stand-ins for the window's interfaces, for tests that drive the rooms'
// logic without a screen. Each records what it was asked; those that answer
// take scripted answers. Attach one Journal to several fakes to check the
// order of their calls across them.
#include <array>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QString>
#include <QStringList>

#include "core/Base.h"
#include "core/BusyGuard.h"
#include "core/NumberSource.h"
#include "core/StepReport.h"
#include "core/UiPorts.h"
#include "core/WindowPorts.h"

namespace quillora::testing {

using Journal = std::vector<std::string>;

inline void Note(Journal* journal, std::string entry) {
    if (journal != nullptr) {
        journal->push_back(std::move(entry));
    }
}

inline const char* PointerName(Pointer pointer) {
    switch (pointer) {
        case Pointer::Default:
            return "Default";
        case Pointer::Busy:
            return "Busy";
        case Pointer::Hand:
            return "Hand";
    }
    return "?";
}

struct ShownMessage {
    QString text;
    QString title;
    MessageIcon icon;
};

// Records every box; questions take their answers from the queues (the empty
// answer, i.e. cancel, when a queue runs dry). onMessage runs while a message
// box would be open, as a user could act then.
class RecordingDialogs : public Dialogs {
  public:
    void message(const QString& text, const QString& title, MessageIcon icon) override {
        messages.push_back({text, title, icon});
        Note(journal, "message " + text.toStdString());
        if (onMessage) {
            onMessage(text);
        }
    }
    QString inputBox(const QString& prompt, const QString& title) override {
        prompts.push_back(prompt);
        Note(journal, "input " + title.toStdString());
        return take(inputAnswers);
    }
    QStringList openFiles(const QString& title, const QString& filter) override {
        Note(journal, "open " + title.toStdString() + " | " + filter.toStdString());
        return take(openAnswers);
    }
    QString saveFile(const QString& title, const QString& filter) override {
        Note(journal, "save " + title.toStdString() + " | " + filter.toStdString());
        return take(saveAnswers);
    }

    QStringList texts() const {
        QStringList all;
        for (const ShownMessage& m : messages) {
            all << m.text;
        }
        return all;
    }

    std::vector<ShownMessage> messages;
    QStringList prompts;
    std::deque<QString> inputAnswers;
    std::deque<QStringList> openAnswers;
    std::deque<QString> saveAnswers;
    std::function<void(const QString&)> onMessage;
    Journal* journal = nullptr;

  private:
    template <class T>
    static T take(std::deque<T>& answers) {
        if (answers.empty()) {
            return {};
        }
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

struct ReportedFailure {
    std::string description;
    std::string location;
    int label;
};

class RecordingReport : public FailureReport {
  public:
    void Report(const std::string& description, const std::string& location, int label) override {
        failures.push_back({description, location, label});
        Note(journal, "report " + std::to_string(label) + " " + description);
    }
    std::vector<int> labels() const {
        std::vector<int> all;
        for (const ReportedFailure& f : failures) {
            all.push_back(f.label);
        }
        return all;
    }

    std::vector<ReportedFailure> failures;
    Journal* journal = nullptr;
};

class FakePointer : public PointerPort {
  public:
    Pointer pointer() const override { return current; }
    void setPointer(Pointer pointer) override {
        current = pointer;
        history.push_back(pointer);
        Note(journal, std::string("pointer ") + PointerName(pointer));
    }

    Pointer current = Pointer::Default;
    std::vector<Pointer> history;
    Journal* journal = nullptr;
};

class FakeProgress : public ProgressPort {
  public:
    void setValue(double percent) override {
        value = percent;
        values.push_back(percent);
        Note(journal, "progress " + std::to_string(percent));
    }
    void setCaption(const QString& text) override {
        caption = text;
        Note(journal, "caption " + text.toStdString());
    }

    double value = 0;
    QString caption = QStringLiteral("Progress Bar");
    std::vector<double> values;
    Journal* journal = nullptr;
};

// onProcess runs at each turn of the event loop with the number of the turn
// (1 for the first): whatever a user could do while the window answers.
class FakePump : public EventPump {
  public:
    void processEvents() override {
        ++calls;
        Note(journal, "pump");
        if (onProcess) {
            onProcess(calls);
        }
    }

    int calls = 0;
    std::function<void(int)> onProcess;
    Journal* journal = nullptr;
};

class VectorNumberSource : public NumberSource {
  public:
    VectorNumberSource() = default;
    VectorNumberSource(std::initializer_list<std::string> texts) : entries(texts) {}

    int count() const override { return static_cast<int>(entries.size()); }
    std::string_view entry(int row) const override {
        return entries.at(static_cast<std::size_t>(row));
    }

    std::vector<std::string> entries;
};

// The four option flags; select() behaves like the option group, clearAll()
// makes the state a settings store without a true flag would leave.
class FakeBaseFlags : public BaseFlags {
  public:
    explicit FakeBaseFlags(Base base = Base::Decimal) { select(base); }

    bool flag(Base base) const override { return on.at(static_cast<std::size_t>(base)); }
    void select(Base base) {
        on.fill(false);
        on.at(static_cast<std::size_t>(base)) = true;
    }
    void clearAll() { on.fill(false); }

    std::array<bool, 4> on{};
};

// A window's ports, every one recording: what a room's logic runs against
// in a test.
struct FakeWindow {
    WindowPorts ports() { return {dialogs, pointer, busy, progress, pump, report}; }

    RecordingDialogs dialogs;
    FakePointer pointer;
    BusyState busy{pointer};
    FakeProgress progress;
    FakePump pump;
    RecordingReport report;
};

}  // namespace quillora::testing
