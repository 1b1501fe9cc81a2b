#include "model/error.h"

namespace carexa {

std::string QuotedText(std::string_view text)
{
    constexpr std::size_t kShown = 40;
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string quoted;
    for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        case '\\':
        case '\'':
        case '"':
            quoted += '\\';
            quoted += static_cast<char>(c);
            break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                quoted += "\\x";
                quoted += kHex[c >> 4];
                quoted += kHex[c & 0xF];
            } else {
                quoted += static_cast<char>(c);
            }
        }
    }
    if (text.size() > kShown)
        quoted += "...";
    return quoted;
}

namespace {

std::string ConversionMessage(std::string_view text, const char *what, std::string_view place)
{
    std::string message(place);
    if (!place.empty())
        message += ": ";
    message += "'";
    message += QuotedText(text);
    message += "' is not a valid ";
    message += what;
    message += '.';
    return message;
}

} // namespace

ConversionError::ConversionError(std::string text, const char *what, std::string_view place)
    : Error(ConversionMessage(text, what, place)), text_(std::move(text))
{ }

} // namespace carexa
