#include "model/text_grid.h"

#include "model/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

namespace carexa {

TextGrid::TextGrid(int columns, int rows) : columns_(columns), rows_(rows)
{ }

TextGrid::Bits TextGrid::bits(int column, int row) const
{
    if (row < 0 || column < 0 || row >= storedRows_ || column >= stride_)
        return kEmpty;
    return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(stride_)
        + static_cast<std::size_t>(column)];
}

TextGrid::Bits &TextGrid::slot(int column, int row)
{
    if (column >= stride_) {
        // Widening re-lays the rows out; grids get their width once, so this is rare.
        const int stride = std::max(column + 1, stride_ * 2);
        std::vector<Bits> wider(static_cast<std::size_t>(storedRows_) * static_cast<std::size_t>(stride),
            kEmpty);
        for (int r = 0; r < storedRows_; ++r)
            std::copy_n(cells_.begin() + static_cast<std::ptrdiff_t>(r) * stride_, stride_,
                wider.begin() + static_cast<std::ptrdiff_t>(r) * stride);
        cells_ = std::move(wider);
        stride_ = stride;
    }
    if (row >= storedRows_) {
        storedRows_ = std::max(row + 1, storedRows_ + storedRows_ / 2);
        cells_.resize(static_cast<std::size_t>(storedRows_) * static_cast<std::size_t>(stride_), kEmpty);
    }
    return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(stride_)
        + static_cast<std::size_t>(column)];
}

void TextGrid::releaseText(Bits old)
{
    if ((old & kTagMask) != kTextTag)
        return;
    const auto index = static_cast<std::uint32_t>(old);
    texts_[index].clear();
    texts_[index].shrink_to_fit();
    freeTexts_.push_back(index);
}

void TextGrid::storeText(Bits &target, std::string_view text)
{
    std::uint32_t index = 0;
    if (!freeTexts_.empty()) {
        index = freeTexts_.back();
        freeTexts_.pop_back();
        texts_[index] = text;
    } else {
        index = static_cast<std::uint32_t>(texts_.size());
        texts_.emplace_back(text);
    }
    target = kTextTag | index;
}

std::size_t TextGrid::storedBytes() const
{
    std::size_t bytes = cells_.capacity() * sizeof(Bits) + texts_.capacity() * sizeof(std::string)
        + freeTexts_.capacity() * sizeof(std::uint32_t);
    const std::size_t inPlace = std::string().capacity(); // kept inside the string itself
    for (const std::string &text : texts_) {
        if (text.capacity() > inPlace)
            bytes += text.capacity() + 1;
    }
    return bytes;
}

std::string TextGrid::cell(int column, int row) const
{
    std::string text;
    appendCell(text, column, row);
    return text;
}

void TextGrid::appendCell(std::string &out, int column, int row) const
{
    const Bits b = bits(column, row);
    if (b == kEmpty)
        return;
    if ((b & kTagMask) == kTextTag) {
        out += texts_[static_cast<std::uint32_t>(b)];
        return;
    }
    std::array<char, kNumberTextCapacity> buffer {};
    out.append(buffer.data(), WriteGeneral(buffer.data(), std::bit_cast<double>(b)));
}

void TextGrid::setCell(int column, int row, std::string_view text)
{
    if (row < 0 || column < 0)
        return;
    ++revision_;
    if (text.empty()) {
        if (bits(column, row) != kEmpty) {
            Bits &target = slot(column, row);
            releaseText(target);
            target = kEmpty;
        }
        return;
    }
    // A text that is exactly a number's screen form is kept as the number.
    if (const std::optional<double> value = TryParseDouble(text)) {
        std::array<char, kNumberTextCapacity> buffer {};
        const char *end = WriteGeneral(buffer.data(), *value);
        if (std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.data())) == text) {
            setNumber(column, row, *value);
            return;
        }
    }
    Bits &target = slot(column, row);
    releaseText(target);
    storeText(target, text);
}

void TextGrid::setNumber(int column, int row, double value)
{
    if (row < 0 || column < 0)
        return;
    ++revision_;
    Bits &target = slot(column, row);
    releaseText(target);
    if (!std::isfinite(value)) {
        storeText(target, FormatGeneral(value));
        return;
    }
    // -0 shows as "0" and reads back as 0.
    target = std::bit_cast<Bits>(value == 0 ? 0.0 : value);
}

std::optional<double> TextGrid::number(int column, int row) const
{
    const Bits b = bits(column, row);
    if (b == kEmpty || (b & kTagMask) == kTextTag)
        return std::nullopt;
    return std::bit_cast<double>(b);
}

bool TextGrid::empty(int column, int row) const
{
    return bits(column, row) == kEmpty;
}

void TextGrid::clear(int columns, int rows)
{
    ++revision_;
    cells_.clear();
    cells_.shrink_to_fit();
    texts_.clear();
    freeTexts_.clear();
    stride_ = 0;
    storedRows_ = 0;
    columns_ = columns;
    rows_ = rows;
}

} // namespace carexa
