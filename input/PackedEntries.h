#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// How the list and an entry batch keep their packed entries: one buffer of
// bytes, a 32-bit offset per entry and the rows where the offsets pass
// another 4 GiB. What both grow and count with.
namespace quillora::packed {

// std::string's own reserve doubles any request below twice what it holds;
// a fresh string takes exactly what it is asked for.
inline void ReserveExactly(std::string& s, std::size_t size) {
    if (size <= s.capacity()) {
        return;
    }
    std::string grown;
    grown.reserve(size);
    grown.append(s);
    s.swap(grown);
}

template <class T>
inline void ReserveExactly(std::vector<T>& v, std::size_t size) {
    v.reserve(size);
}

// Room for at least `needed` elements, growing geometrically so that one
// append at a time stays linear overall; by half, so that a list of ten
// million entries carries at most half its size again of spare room.
template <class Container>
void Grow(Container& c, std::size_t needed) {
    if (needed > c.capacity()) {
        ReserveExactly(c, std::max(needed, c.capacity() + c.capacity() / 2));
    }
}

inline void AddCarries(std::vector<std::size_t>& carries, std::uint64_t offset, std::size_t index) {
    while ((offset >> 32) > carries.size()) {
        carries.push_back(index);
    }
}

// The offset at index passes every multiple of 2^32 up to its own that
// carries does not count yet: index is where each of them begins. The test
// runs for every entry, a carry once in 4 GiB, so only the test is inline.
inline void CountCarries(std::vector<std::size_t>& carries, std::uint64_t offset,
                         std::size_t index) {
    if ((offset >> 32) > carries.size()) [[unlikely]] {
        AddCarries(carries, offset, index);
    }
}

}  // namespace quillora::packed
