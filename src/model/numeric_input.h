#pragma once

#include <string>
#include <string_view>

namespace carexa {

/// Characters that empty a numeric field: the comma, the letters a-z, A-Z, æ ø å Æ Ø Å, the signs
/// and punctuation "-_;!#¤%&/()=?`´^¨~|}][{$£@½*'+", the space, "><§". Digits and the full stop
/// are allowed (so a field holds digits and at most the full stop as decimal separator).
inline constexpr std::u32string_view kForbiddenCharacters
    = U",abcdefghijklmnopqrstuvwxyzæøåABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ-_;!#¤%&/()=?`´^¨~|}][{$£@½*'+ "
      U"><§";

/// The same characters and the full stop, for fields that hold whole numbers of days.
inline constexpr std::u32string_view kForbiddenIntegerCharacters
    = U",abcdefghijklmnopqrstuvwxyzæøåABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ-_;!#¤%&/()=?`´^¨~|}][{$£@½*'+ "
      U"><§.";

/// Whether `text` holds any character of `forbidden`.
bool HasForbiddenCharacter(std::u32string_view text, std::u32string_view forbidden);

/// The characters of a UTF-8 text (a byte that starts no valid character counts as U+FFFD).
std::u32string DecodeUtf8(std::string_view text);

} // namespace carexa
