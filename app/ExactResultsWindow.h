#pragma once

#include <functional>
#include <optional>

#include <QWidget>

#include "app/ExactWindowSettings.h"
#include "calc/ExactFold.h"
#include "calc/ExactResultsTable.h"
#include "calc/ResultsTableModel.h"
#include "core/WindowPorts.h"
#include "export/ClipboardExport.h"
#include "export/ExportContext.h"
#include "export/Spreadsheet.h"

class QCheckBox;
class QComboBox;
class QTreeView;

namespace quillora {

// What the window borrows from the main window: its ports (asked afresh for
// each export, as the main window's own buttons do), the clipboard, the
// spreadsheet application and the settings store.
struct ExactWindowPorts {
    std::function<WindowPorts()> window;
    ClipboardPort& clipboard;
    SpreadsheetProvider& spreadsheets;
    SettingsStore& settings;
};

// "Exact Results": the last run's results computed exactly, in a table of the
// results table's shape (ExactResultsView) whose ticked rows go through the
// main window's very exports. Non-modal, owned by the main window; every run
// fills it, open or not.
class ExactResultsWindow : public QWidget {
    Q_OBJECT
  public:
    ExactResultsWindow(ExactWindowPorts ports, QWidget* parent);

    // A run's exact results, written in the chosen view.
    void showResults(const ExactResults& results);
    // Shows the window (in front, with focus), where it stood last.
    void open();
    // Start-up: the stored view, and whether the window was open at the
    // last close (reopen() shows it again once the main window is up).
    void restore();
    void reopen();
    // The main window's close: whether this one is open and where it stands.
    void remember();

    ResultsTableModel& table() { return table_; }
    const ExactView& view() const { return state_.view; }
    void setView(const ExactView& view);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void build();
    void storeState();
    ExportContext exportContext();

    ExactWindowPorts ports_;
    ExactWindowSettings settings_;
    ExactWindowState state_;
    ResultsTableModel table_;
    std::optional<ExactResults> results_;
    QTreeView* view_ = nullptr;
    QComboBox* word_ = nullptr;
    QCheckBox* group_ = nullptr;
};

}  // namespace quillora
