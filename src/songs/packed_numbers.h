#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Numbers below a bound, each in as few bits as the bound needs: the ranks of a million songs
// among 240,000 distinct names take 2.2 MB instead of 4. Each is set once, then read from any
// thread.
class PackedNumbers
{
public:
    PackedNumbers() = default;
    // `numbers`, each below `bound`.
    PackedNumbers(std::span<const std::uint32_t> numbers, std::uint32_t bound)
        : m_count(numbers.size())
        , m_bits(bound <= 1 ? 1 : unsigned(std::bit_width(bound - 1)))
        // A word more than the numbers fill, so a read never asks whether one is the last.
        , m_words(m_count * m_bits / 64 + 2, 0)
    {
        for (std::size_t index = 0; index < numbers.size(); ++index)
            set(index, numbers[index]);
    }

    std::size_t size() const { return m_count; }
    unsigned bitsEach() const { return m_bits; }

    // The numbers read without their owner: valid while its buffer lives, moves included.
    class View
    {
    public:
        View() = default;
        std::uint32_t operator[](std::size_t index) const
        {
            const std::size_t bit = index * m_bits;
            const std::size_t word = bit / 64;
            const unsigned shift = bit % 64;
            // The next word's bits, shifted in two steps so a shift of 64 never happens.
            const std::uint64_t both
                = m_words[word] >> shift | (m_words[word + 1] << 1) << (63 - shift);
            return std::uint32_t(both & ((std::uint64_t(1) << m_bits) - 1));
        }

    private:
        friend class PackedNumbers;
        View(const std::uint64_t *words, unsigned bits)
            : m_words(words)
            , m_bits(bits)
        {
        }
        const std::uint64_t *m_words = nullptr;
        unsigned m_bits = 1;
    };

    View view() const { return View(m_words.data(), m_bits); }
    std::uint32_t operator[](std::size_t index) const { return view()[index]; }

private:
    // Sets a number still zero.
    void set(std::size_t index, std::uint32_t value)
    {
        const std::size_t bit = index * m_bits;
        const std::size_t word = bit / 64;
        const unsigned shift = bit % 64;
        m_words[word] |= std::uint64_t(value) << shift;
        if (shift + m_bits > 64)
            m_words[word + 1] |= std::uint64_t(value) >> (64 - shift);
    }

    std::size_t m_count = 0;
    unsigned m_bits = 1;
    std::vector<std::uint64_t> m_words;
};
