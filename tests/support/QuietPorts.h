#pragma once

// Stand-ins for the window's interfaces that keep nothing but a count, for the
// benchmarks: a recording fake would grow with every call and weigh on what is
// measured. The ports come in through FakePorts.h, so both sets of stand-ins
// follow the interfaces from one place.
#include <algorithm>
#include <chrono>
#include <string>

#include <QString>
#include <QStringList>

#include "support/FakePorts.h"

namespace quillora::testing {

// Answers every question with cancel and counts the boxes it did not show.
class QuietDialogs : public Dialogs {
  public:
    void message(const QString&, const QString&, MessageIcon) override { ++shown; }
    QString inputBox(const QString&, const QString&) override { return {}; }
    QStringList openFiles(const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&) override { return {}; }

    int shown = 0;
};

class QuietPointer : public PointerPort {
  public:
    Pointer pointer() const override { return current; }
    void setPointer(Pointer pointer) override { current = pointer; }

    Pointer current = Pointer::Default;
};

class QuietProgress : public ProgressPort {
  public:
    void setValue(double) override {}
    void setCaption(const QString&) override {}
};

class CountingReport : public FailureReport {
  public:
    void Report(const std::string&, const std::string&, int) override { ++count; }

    int count = 0;
};

// Measures the gaps between turns of the event loop, the first one from start().
class GapPump : public EventPump {
  public:
    using Clock = std::chrono::steady_clock;

    void start() {
        last_ = Clock::now();
        longest_ = {};
    }
    void processEvents() override {
        const Clock::time_point now = Clock::now();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    double longestMs() const { return std::chrono::duration<double, std::milli>(longest_).count(); }

  private:
    Clock::time_point last_;
    Clock::duration longest_{};
};

}  // namespace quillora::testing
