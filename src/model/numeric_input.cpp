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

} // namespace carexa
