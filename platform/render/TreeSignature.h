#pragma once

#include "platform/uikit/Forward.h"

// Everything a window's picture depends on, written down as numbers: the
// layers' presentation geometry and appearance at the run loop's time,
// texts, fonts, colours as resolved now, images, paths. Two equal
// signatures draw the same picture, so an unchanged screen needs no new
// drawing. Comparing whole signatures (not hashes) leaves no chance of two
// different screens being taken for one.

#include <cstdint>
#include <vector>

namespace render {

class TreeSignature {
public:
    void clear() { m_words.clear(); }
    // Appends `layer`'s subtree (its mask included).
    void addLayer(const CALayer& layer);
    void addWord(std::uint64_t word) { m_words.push_back(word); }
    void addNumber(double value);

    bool operator==(const TreeSignature& other) const { return m_words == other.m_words; }
    std::size_t size() const { return m_words.size(); }

private:
    std::vector<std::uint64_t> m_words;
};

}  // namespace render
