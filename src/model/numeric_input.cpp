#include "model/numeric_input.h"

namespace carexa {

bool HasForbiddenCharacter(std::u32string_view text, std::u32string_view forbidden)
{
    for (char32_t c : text) {
        if (forbidden.find(c) != std::u32string_view::npos)
            return true;
    }
    return false;
}

std::u32string DecodeUtf8(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = lead < 0x80  ? 1
            : (lead >> 5) == 0x6  ? 2
            : (lead >> 4) == 0xE  ? 3
            : (lead >> 3) == 0x1E ? 4
                                  : 0;
        char32_t c = length == 1 ? lead
            : length == 2        ? lead & 0x1F
            : length == 3        ? lead & 0x0F
                                 : lead & 0x07;
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            out.push_back(U'\uFFFD');
            ++i;
            continue;
        }
        out.push_back(c);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

} // namespace carexa
