#pragma once

#include <chrono>
#include <memory>

#include <QString>

#include "core/UiPorts.h"
#include "export/CalcPlugin.h"
#include "export/DeadlineWorker.h"
#include "export/Spreadsheet.h"
#include "export/uno/CalcPluginApi.h"

namespace quillora {

struct LibreOfficeOptions {
    // The pipe the office listens on for Quillora.
    QString pipeName;
    // Start the user's LibreOffice when nothing listens yet.
    bool launchOffice = true;
    // A first start on a fresh profile takes a few seconds on a slow machine.
    std::chrono::milliseconds connectLimit{45000};
    std::chrono::milliseconds callLimit{15000};

    // For users: their own LibreOffice, on a pipe of their own.
    static LibreOfficeOptions ForUser();
};

// LibreOffice Calc through the UNO plugin. Every call runs off the window's
// thread with a deadline, so an office that hangs fails the step instead of
// freezing Quillora.
class LibreOfficeSpreadsheet : public Spreadsheet {
  public:
    LibreOfficeSpreadsheet(std::unique_ptr<calc_plugin::CalcSession> session,
                           LibreOfficeOptions options, EventPump* pump);
    ~LibreOfficeSpreadsheet() override;

    void startApplication() override;
    void addWorkbook() override;
    void useActiveSheet() override;
    void setCellText(int row, int column, const QString& text, CellReading reading) override;
    void autoFitColumn(int column) override;
    void autoFitAllColumns() override;
    void makeVisible() override;

  private:
    using Session = std::shared_ptr<calc_plugin::CalcSession>;
    void call(std::function<void(calc_plugin::CalcSession&)> operation,
              std::chrono::milliseconds limit);

    Session session_;
    LibreOfficeOptions options_;
    DeadlineWorker worker_;
};

class LibreOfficeProvider : public SpreadsheetProvider {
  public:
    explicit LibreOfficeProvider(EventPump* pump = nullptr,
                                 LibreOfficeOptions options = LibreOfficeOptions::ForUser(),
                                 const CalcPlugin& plugin = CalcPlugin::instance());
    // The plugin loads and LibreOffice with Calc is installed.
    bool available() override;
    std::unique_ptr<Spreadsheet> create() override;

  private:
    EventPump* pump_;
    LibreOfficeOptions options_;
    const CalcPlugin& plugin_;
};

}  // namespace quillora
