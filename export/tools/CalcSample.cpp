// Exports a sample results table into LibreOffice Calc through the same
// handler and plugin as the "Save Results As Excel File" button, and leaves
// the workbook open: quillora-calc-sample [--pipe NAME]
// With --pipe it uses the office already listening there; without, it starts
// (or reuses) the user's LibreOffice as the button does.
#include <cstdio>
#include <string>

#include <QCoreApplication>
#include <QStringList>

#include "engine/NumberSystem.h"
#include "engine/NumberText.h"
#include "export/LibreOfficeSpreadsheet.h"
#include "export/SpreadsheetExport.h"

namespace {

using namespace quillora;

class ConsoleWindow : public Dialogs,
                      public PointerPort,
                      public ProgressPort,
                      public EventPump,
                      public FailureReport {
  public:
    void message(const QString& text, const QString&, MessageIcon) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    QString inputBox(const QString&, const QString&) override { return {}; }
    QStringList openFiles(const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&) override { return {}; }
    Pointer pointer() const override { return pointer_; }
    void setPointer(Pointer pointer) override { pointer_ = pointer; }
    void setValue(double) override {}
    void setCaption(const QString&) override {}
    void processEvents() override { QCoreApplication::processEvents(); }
    void Report(const std::string& description, const std::string& location, int label) override {
        std::fprintf(stderr, "%s\n%sat line %d\n", description.c_str(), location.c_str(), label);
        failed = true;
    }
    bool failed = false;

  private:
    Pointer pointer_ = Pointer::Default;
};

// The four results of 1234567 and 89, written in the four bases.
void FillSample(ResultsTableModel& table) {
    for (int c = 0; c < ResultsTableModel::kColumnCount; ++c) {
        table.setHeaderText(c, ResultsTableModel::columnCaptions().at(c));
    }
    const double a = 1234567;
    const double b = 89;
    const double results[] = {a + b, a - b, a * b, a / b};
    const std::pair<const char*, const char*> bases[] = {
        {"Decimal", "10"}, {"Hexadecimal", "16"}, {"Octal", "8"}, {"Binary", "2"}};
    for (const auto& [name, base] : bases) {
        const int row = table.addRow(QString::fromLatin1(name));
        for (int k = 1; k <= 4; ++k) {
            const std::string decimal = NumberToText(results[k - 1]);
            table.setCell(row, k, QString::fromStdString(ConvertNumber(decimal, "10", base)));
        }
        table.setChecked(row, true);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    LibreOfficeOptions options = LibreOfficeOptions::ForUser();
    const QStringList args = app.arguments();
    const qsizetype pipe = args.indexOf(QStringLiteral("--pipe"));
    if (pipe > 0 && pipe + 1 < args.size()) {
        options.pipeName = args.at(pipe + 1);
        options.launchOffice = false;
        options.connectLimit = std::chrono::seconds(60);
    }
    ConsoleWindow window;
    BusyState busy{window};
    ResultsTableModel table;
    FillSample(table);
    LibreOfficeProvider provider(&window, options);
    SaveResultsToSpreadsheet({table, {window, window, busy, window, window, window}}, provider);
    return window.failed ? 1 : 0;
}
