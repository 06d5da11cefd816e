#pragma once

#include <string>

// What Quillora and its LibreOffice Calc plugin agree on. Both sides are built
// from this one tree with one compiler, so the plugin hands out a C++ object;
// the version number catches a stale plugin left from another build.
namespace quillora::calc_plugin {

inline constexpr int kApiVersion = 1;

enum class CellKind { Empty, Value, Text, Formula };

struct CellContent {
    CellKind kind = CellKind::Empty;
    std::string text;  // UTF-8, as the cell shows it
    double value = 0;
};

struct ConnectRequest {
    // The office listens on the local pipe of this name.
    std::string pipeName;
    // When nothing listens yet, start the user's LibreOffice (or hand the
    // request to the one already running) and wait for it.
    bool launchOffice = true;
    // Give up when the office has not answered by then.
    int timeoutMs = 45000;
};

// One connection to an office and the workbook it fills. Rows and columns
// count from 1. Every call may throw std::runtime_error saying what failed.
// A session is used from one thread at a time.
class CalcSession {
  public:
    virtual ~CalcSession() = default;

    virtual void connect(const ConnectRequest& request) = 0;
    // A new, untitled workbook, filled while hidden.
    virtual void addWorkbook() = 0;
    virtual void useActiveSheet() = 0;
    // Stored as text exactly as given: never read as a number or a formula.
    virtual void setCellText(int row, int column, const std::string& utf8) = 0;
    virtual void setCellNumber(int row, int column, double value) = 0;
    virtual void autoFitColumn(int column) = 0;
    virtual void autoFitAllColumns() = 0;
    virtual void makeVisible() = 0;

    // Looking at a workbook afterwards, from a session of its own.
    // Attaches to the untitled workbook the office has open; false when none.
    virtual bool attachUntitledWorkbook() = 0;
    virtual CellContent cell(int row, int column) = 0;
    // In 1/100 mm.
    virtual int columnWidth(int column) = 0;
    virtual bool workbookUntitledAndModified() = 0;
    virtual void closeWorkbookWithoutSaving() = 0;
    // Asks the office to end; true when it agreed.
    virtual bool terminateOffice() = 0;
};

// The plugin's entry points, looked up by these names.
using ApiVersionFunction = int (*)();
using OfficeInstalledFunction = bool (*)();
using NewSessionFunction = CalcSession* (*)();  // the caller owns the session

inline constexpr const char* kApiVersionSymbol = "quillora_calc_api_version";
inline constexpr const char* kOfficeInstalledSymbol = "quillora_calc_office_installed";
inline constexpr const char* kNewSessionSymbol = "quillora_calc_new_session";

}  // namespace quillora::calc_plugin
