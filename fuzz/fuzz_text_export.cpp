// The two text forms of the results table, over any cells and ticks: the
// aligned text file (header and ticked rows, every cell padded to its
// column's width over headers and all rows and ended by a TAB, CR LF, one
// Latin-1 byte per character, or UTF-8 for a line with a character beyond it) and the clipboard
// text (ticked rows, cells padded to the widest cell of the column except the last, TAB-separated,
// trailing spaces dropped, CR LF). Each is compared with the form built
// here from its description, and neither reports a failure.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "calc/ResultsTableModel.h"
#include "export/ClipboardExport.h"
#include "export/TextFileExport.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/ScratchFolder.h"

using namespace quillora;
using namespace quillora::fuzz;

namespace {

class NoPump : public EventPump {
  public:
    void processEvents() override {}
};

class CountingReport : public FailureReport {
  public:
    void Report(const std::string& description, const std::string&, int label) override {
        Fail("a failure was reported at " + std::to_string(label) + ": " + description);
    }
};

QString Padded(const QString& cell, qsizetype width) {
    return cell + QString(std::max<qsizetype>(0, width - cell.size()), QLatin1Char(' '));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 8000) {
        return 0;
    }
    // First byte: the ticks of up to eight rows; then cells separated by 0x1E.
    const unsigned ticks = data[0];
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                           static_cast<qsizetype>(size - 1));
    const QStringList cells = text.split(QChar(0x1E));
    ResultsTableModel table;
    const int columns = ResultsTableModel::kColumnCount;
    const int rows = std::min<int>(8, static_cast<int>(cells.size()) / columns);
    for (int r = 0; r < rows; ++r) {
        table.addRow(cells.at(r * columns));
        for (int c = 1; c < columns; ++c) {
            table.setCell(r, c, cells.at(r * columns + c));
        }
        table.setChecked(r, ((ticks >> r) & 1) != 0);
    }
    for (int c = 0; c < columns && rows * columns + c < cells.size(); ++c) {
        table.setHeaderText(c, cells.at(rows * columns + c));
    }

    auto cell = [&](int r, int c) { return table.text(r, c); };
    std::vector<qsizetype> fileWidths(columns, 0);
    std::vector<qsizetype> clipWidths(columns, 0);
    for (int c = 0; c < columns; ++c) {
        fileWidths[c] = table.headerText(c).size();
        for (int r = 0; r < rows; ++r) {
            fileWidths[c] = std::max(fileWidths[c], cell(r, c).size());
            clipWidths[c] = std::max(clipWidths[c], cell(r, c).size());
        }
    }
    QByteArray fileText;
    const auto addLine = [&](const QString& line) {
        const bool latin1 =
            std::all_of(line.begin(), line.end(), [](QChar ch) { return ch.unicode() <= 0xFF; });
        fileText += (latin1 ? line.toLatin1() : line.toUtf8()) + "\r\n";
    };
    QString header;
    for (int c = 0; c < columns; ++c) {
        header += Padded(table.headerText(c), fileWidths[c]) + QLatin1Char('\t');
    }
    addLine(header);
    QString clipText;
    for (int r = 0; r < rows; ++r) {
        if (!table.row(r).checked) {
            continue;
        }
        QString line;
        QString clip;
        for (int c = 0; c < columns; ++c) {
            line += Padded(cell(r, c), fileWidths[c]) + QLatin1Char('\t');
            clip += Padded(cell(r, c), clipWidths[c]) + (c + 1 < columns ? "\t" : "");
        }
        while (clip.endsWith(QLatin1Char(' '))) {
            clip.chop(1);
        }
        addLine(line);
        clipText += clip + QStringLiteral("\r\n");
    }

    NoPump pump;
    CountingReport report;
    const QString path = ScratchPath(QStringLiteral("results.txt"));
    SaveListviewProperlySpaced(table, path, nullptr, pump, report);
    QFile written(path);
    Require(written.open(QIODevice::ReadOnly), "the results file is missing");
    Require(written.readAll() == fileText, "the results file differs from its form");

    Steps steps(report, "clipboard");
    Require(ClipboardText(table, pump, steps) == clipText,
            "the clipboard text differs from its form");
    return 0;
}
