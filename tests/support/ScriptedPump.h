#pragma once

// An event pump that really lets Qt run, as the window's own pump does, and
// then plays what the user does at chosen turns: clicks, keys, typed answers.
// Actions posted as events are delivered at the next turn, as real input is.
#include <functional>
#include <map>
#include <vector>

#include <QCoreApplication>

#include "core/UiPorts.h"

namespace quillora::testing {

class ScriptedPump : public EventPump {
  public:
    void processEvents() override {
        QCoreApplication::processEvents();
        if (playing_) {
            // A handler played here yields too (the exports do): Qt runs,
            // but the script waits for the run's own next turn.
            ++nestedTurns;
            return;
        }
        ++turns;
        const auto due = script_.find(turns);
        if (due == script_.end()) {
            return;
        }
        playing_ = true;
        for (const auto& action : due->second) {
            action();
            ++played;
        }
        playing_ = false;
    }

    // Plays action at the turn-th yield of the outermost caller (1 for the first).
    void at(int turn, std::function<void()> action) { script_[turn].push_back(std::move(action)); }

    int scripted() const {
        int all = 0;
        for (const auto& [turn, actions] : script_) {
            all += static_cast<int>(actions.size());
        }
        return all;
    }
    int lastScriptedTurn() const { return script_.empty() ? 0 : script_.rbegin()->first; }

    int turns = 0;
    int nestedTurns = 0;
    int played = 0;

  private:
    std::map<int, std::vector<std::function<void()>>> script_;
    bool playing_ = false;
};

}  // namespace quillora::testing
