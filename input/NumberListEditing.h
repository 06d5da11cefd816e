#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string_view>

#include <QString>

#include "core/Base.h"
#include "core/StepReport.h"
#include "core/UiPorts.h"
#include "input/InputContext.h"
#include "input/NumberListModel.h"

// Typing numbers in, removing one, clearing all and the four sample sets.
namespace quillora {

// Entries longer than this are refused whatever the base: every double, even
// written out in binary with all its fraction digits, fits in it, and a stray
// megabyte-long "number" would only make the list and the run crawl.
inline constexpr std::size_t kLongestEntry = 4096;

// The text the list stores for a typed or loaded entry in this base, or
// nothing when the entry fails the base's test (or no base is on).
std::optional<std::string> AcceptEntry(std::string_view entry, std::optional<Base> base);

// Splits the answer at every ",", keeping empty pieces, trims each piece of
// surrounding white space, and appends every piece that passes the base's test
// (upper-cased for hexadecimal). Returns how many entries were appended.
// With a handler's steps the split is step 104 and each piece step 106: a
// failing piece is reported there and the next piece still gets its turn.
int AddNumbers(NumberListModel& list, std::optional<Base> base, const QString& answer,
               Steps* steps = nullptr);

// "Add Number or Numbers" (Form1.PushButton6_Click): asks through the input
// box and adds the answer. It does not look at the busy pointer: an export's
// hourglass leaves adding open (a calculation run is kept out by the window).
void AddNumbersFromInputBox(const InputContext& context);

// Double-click on the list, and the Delete key: removes the selected row (-1
// for none) unless the busy pointer shows. True when a row went.
bool RemoveSelectedNumber(NumberListModel& list, const BusyState& busy, int selectedRow);
// ListView1_KeyDown: only Qt::Key_Delete removes; every other key is ignored.
bool RemoveSelectedNumberOnKey(NumberListModel& list, const BusyState& busy, int selectedRow,
                               int qtKey);

// "Clear List" (Form1.PushButton2_Click): empties the list unless the busy
// pointer shows. The results table is not touched.
void ClearList(NumberListModel& list, const BusyState& busy, FailureReport& report);

// One sample button: the base it selects and the two texts it appends as they stand.
struct SampleSet {
    Base base;
    std::array<std::string_view, 2> values;
    std::string_view handler;  // "PushButton9_Click" ... "PushButton12_Click"
};
const SampleSet& SampleSetOf(Base base);

// "Load Sample/Example ..." (PushButton9_Click to PushButton12_Click, by base).
// Step 100 turns the base's option on through selectOption (Form1 clicks the
// option, whose handler empties the list when the base changes); step 102
// appends the pair without validation. Like adding, it does not look at the
// busy pointer.
void LoadSampleSet(const InputContext& context, Base base,
                   const std::function<void(Base)>& selectOption);

}  // namespace quillora
