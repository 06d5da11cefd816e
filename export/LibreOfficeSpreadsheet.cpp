#include "export/LibreOfficeSpreadsheet.h"

#include <unistd.h>

#include <optional>
#include <stdexcept>

#include "export/TableCells.h"

namespace quillora {

namespace {

std::string TimeoutMessage(std::chrono::milliseconds limit) {
    const double seconds = static_cast<double>(limit.count()) / 1000.0;
    return "LibreOffice did not answer within " + QString::number(seconds).toStdString() +
           " seconds";
}

}  // namespace

LibreOfficeOptions LibreOfficeOptions::ForUser() {
    LibreOfficeOptions options;
    options.pipeName = QStringLiteral("quillora-%1").arg(getuid());
    return options;
}

LibreOfficeSpreadsheet::LibreOfficeSpreadsheet(std::unique_ptr<calc_plugin::CalcSession> session,
                                               LibreOfficeOptions options, EventPump* pump)
    : session_(std::move(session)), options_(std::move(options)), worker_(pump) {}

LibreOfficeSpreadsheet::~LibreOfficeSpreadsheet() {
    // The session's last reference goes on the worker, where its calls ran.
    if (!worker_.abandoned()) {
        try {
            worker_.run([session = std::move(session_)]() mutable { session.reset(); },
                        options_.callLimit, TimeoutMessage(options_.callLimit));
        } catch (...) {
            // Nothing to report at this point; the worker is abandoned.
        }
    }
}

void LibreOfficeSpreadsheet::call(std::function<void(calc_plugin::CalcSession&)> operation,
                                  std::chrono::milliseconds limit) {
    if (!session_) {
        throw std::runtime_error("LibreOffice is not available");
    }
    worker_.run([session = session_, operation = std::move(operation)] { operation(*session); },
                limit, TimeoutMessage(limit));
}

void LibreOfficeSpreadsheet::startApplication() {
    calc_plugin::ConnectRequest request;
    request.pipeName = options_.pipeName.toStdString();
    request.launchOffice = options_.launchOffice;
    request.timeoutMs = static_cast<int>(options_.connectLimit.count());
    // The plugin gives up by itself at the limit; the worker's own deadline
    // is only there for an office that stops answering mid-handshake.
    call([request](calc_plugin::CalcSession& s) { s.connect(request); },
         options_.connectLimit + std::chrono::seconds(5));
}

void LibreOfficeSpreadsheet::addWorkbook() {
    call([](calc_plugin::CalcSession& s) { s.addWorkbook(); }, options_.callLimit);
}

void LibreOfficeSpreadsheet::useActiveSheet() {
    call([](calc_plugin::CalcSession& s) { s.useActiveSheet(); }, options_.callLimit);
}

void LibreOfficeSpreadsheet::setCellText(int row, int column, const QString& text,
                                         CellReading reading) {
    const std::optional<double> number =
        reading == CellReading::NumberIfNumeric ? CellNumber(text) : std::nullopt;
    if (number) {
        call([=](calc_plugin::CalcSession& s) { s.setCellNumber(row, column, *number); },
             options_.callLimit);
        return;
    }
    call([row, column, utf8 = text.toStdString()](
             calc_plugin::CalcSession& s) { s.setCellText(row, column, utf8); },
         options_.callLimit);
}

void LibreOfficeSpreadsheet::autoFitColumn(int column) {
    call([column](calc_plugin::CalcSession& s) { s.autoFitColumn(column); }, options_.callLimit);
}

void LibreOfficeSpreadsheet::autoFitAllColumns() {
    call([](calc_plugin::CalcSession& s) { s.autoFitAllColumns(); }, options_.callLimit);
}

void LibreOfficeSpreadsheet::makeVisible() {
    call([](calc_plugin::CalcSession& s) { s.makeVisible(); }, options_.callLimit);
}

LibreOfficeProvider::LibreOfficeProvider(EventPump* pump, LibreOfficeOptions options,
                                         const CalcPlugin& plugin)
    : pump_(pump), options_(std::move(options)), plugin_(plugin) {}

bool LibreOfficeProvider::available() {
    return plugin_.loaded() && plugin_.officeInstalled();
}

std::unique_ptr<Spreadsheet> LibreOfficeProvider::create() {
    std::unique_ptr<calc_plugin::CalcSession> session = plugin_.newSession();
    if (!session) {
        throw std::runtime_error("The LibreOffice plugin is missing: " +
                                 plugin_.errorString().toStdString());
    }
    return std::make_unique<LibreOfficeSpreadsheet>(std::move(session), options_, pump_);
}

}  // namespace quillora
