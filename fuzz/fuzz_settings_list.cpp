// The number list as the settings store keeps it: the "Zip Codes" value is
// the rows joined with ";", and start-up splits it at every ";" into rows
// again. Any stored value must come back unchanged after a restore and a
// close (join(split(s)) == s); any list whose rows hold no ";" must come back
// row for row (the one exception: a list of a single empty row is stored as
// the empty text, which restores as the empty list).
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "fuzz/FuzzCheck.h"
#include "input/NumberListModel.h"
#include "store/StoredList.h"

using namespace quillora;
using namespace quillora::fuzz;

namespace {

using Rows = std::vector<std::string>;

EntryBatch Split(const QString& stored) {
    EntryBatch pieces;
    SplitStoredList(stored, pieces);
    return pieces;
}

// Start-up's restore: nothing for the empty text, otherwise every piece one row.
void Restore(NumberListModel& list, const QString& stored) {
    if (!stored.isEmpty()) {
        list.appendMany(Split(stored));
    }
}

Rows RowsOf(const NumberListModel& list) {
    Rows rows;
    for (int row = 0; row < list.count(); ++row) {
        rows.emplace_back(list.entry(row));
    }
    return rows;
}

std::string Shown(const Rows& rows) {
    std::string out = "[";
    for (const std::string& row : rows) {
        out += (out.size() > 1 ? ", \"" : "\"") + Printable(row, 40) + "\"";
    }
    return out + "]";
}

// Any stored text: a restore then a close writes it back unchanged.
void CheckStoredText(std::string_view bytes) {
    const QString stored = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    const std::string text = stored.toStdString();
    const auto pieces = static_cast<std::size_t>(std::count(text.begin(), text.end(), ';')) + 1;
    const std::size_t split = Split(stored).size();
    Require(split == pieces,
            "\"" + Printable(text) + "\" split into " + std::to_string(split) + " pieces");
    NumberListModel list;
    Restore(list, stored);
    Require(list.count() == static_cast<int>(text.empty() ? 0 : pieces),
            "\"" + Printable(text) + "\" restored as " + std::to_string(list.count()) + " rows");
    for (int row = 0; row < list.count(); ++row) {
        Require(list.entry(row).find(';') == std::string_view::npos,
                "a restored row holds \";\": " + Printable(list.entry(row)));
    }
    Require(StoredListText(list) == stored, "\"" + Printable(text) + "\" was stored again as \"" +
                                                Printable(StoredListText(list).toStdString()) +
                                                "\"");
}

// Any list of rows without ";", built up as typing and removing would: a close then a
// restore gives the same rows.
void CheckRows(std::string_view bytes, unsigned removeAt) {
    NumberListModel list;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n') {
            continue;
        }
        // Rows are always UTF-8, whatever reached the list; none holds ";" here.
        QString row = QString::fromUtf8(bytes.data() + start, static_cast<qsizetype>(i - start));
        row.remove(QLatin1Char(';'));
        list.append(row);
        start = i + 1;
    }
    list.removeAt(static_cast<int>(removeAt) % (list.count() + 1));
    const Rows rows = RowsOf(list);

    NumberListModel restored;
    Restore(restored, StoredListText(list));
    const Rows back = RowsOf(restored);
    const bool lone = rows.size() == 1 && rows.front().empty();
    Require(back == (lone ? Rows{} : rows),
            "the list " + Shown(rows) + " came back as " + Shown(back));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 20000) {
        return 0;
    }
    const std::string_view payload(reinterpret_cast<const char*>(data + 1), size - 1);
    if ((data[0] & 1) == 0) {
        CheckStoredText(payload);
    } else {
        CheckRows(payload, data[0] >> 1);
    }
    return 0;
}
