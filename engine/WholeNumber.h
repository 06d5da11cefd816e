#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Whole numbers of any size in binary machine words, and their digit texts in bases 2 to 36.
// This is the working form behind every change of base: digit texts are read Horner-style,
// a machine word of source digits at a time, and written by dividing out a machine word of
// target digits at a time (or by regrouping bits between power-of-two bases).
namespace quillora::detail {

// Least significant word first, no zero words at the top (zero has no words). A conversion
// is over in well under a microsecond, so a heap allocation would be a large share of it:
// values up to kInlineWords words, all that the double range and a little beyond need, are
// held in the object itself, and only longer ones go to the heap.
class Words {
  public:
    static constexpr std::size_t kInlineWords = 24;

    Words() = default;
    Words(const Words&) = delete;
    Words& operator=(const Words&) = delete;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::uint64_t* begin() { return data_; }
    std::uint64_t* end() { return data_ + size_; }
    const std::uint64_t* begin() const { return data_; }
    const std::uint64_t* end() const { return data_ + size_; }
    std::uint64_t& operator[](std::size_t i) { return data_[i]; }
    std::uint64_t operator[](std::size_t i) const { return data_[i]; }
    std::uint64_t back() const { return data_[size_ - 1]; }
    void pop_back() { --size_; }
    void push_back(std::uint64_t word) {
        if (size_ == capacity_)
            reserve(2 * capacity_);
        data_[size_++] = word;
    }
    // count zero words in place of the value.
    void assignZeros(std::size_t count);
    // Room for count words without moving again, the value kept.
    void reserve(std::size_t count);

  private:
    std::array<std::uint64_t, kInlineWords> inline_{};
    std::vector<std::uint64_t> heap_;
    std::uint64_t* data_ = inline_.data();
    std::size_t size_ = 0;
    std::size_t capacity_ = kInlineWords;
};

// Value of a digit text read digit by digit (stray characters are zero digits, digits
// beyond the base count at their face value), into value (which starts empty).
void ReadDigits(std::string_view digits, unsigned base, Words& value);
// Digits of value in base, upper-case letters, "0" for zero. value is used up.
std::string WriteDigits(Words& value, unsigned base);
// True when the value does not round to a finite double (it is at least 2^1024 - 2^970).
bool BeyondDoubleRange(const Words& value);
// The digits of a whole digit text in another base. With checkRange, a value beyond the
// double range fails with "Overflow". Fast paths for values that fit one machine word and
// for plain decimal to decimal.
std::string ConvertWhole(std::string_view digits, unsigned from, unsigned to, bool checkRange);
// ConvertWhole from base 10 with the range checked, for a text known to hold nothing but
// decimal digits (AllDecimalDigits), which spares the test a second pass.
std::string ConvertPlainDecimal(std::string_view digits, unsigned to);
// True when every character is one of "0" to "9" (also for the empty text).
bool AllDecimalDigits(std::string_view s);
// The value of a text of 1 to 20 decimal digits (leading zeros too) when it fits a machine
// word; false, value untouched, for any other text. The usual short entry is tested and
// read in one pass.
bool ReadShortDecimal(std::string_view s, std::uint64_t& value);
// Digits of a machine word in base, upper-case letters, "0" for zero.
std::string WriteWord(std::uint64_t v, unsigned base);

}  // namespace quillora::detail
