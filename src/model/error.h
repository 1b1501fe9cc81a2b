#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace carexa {

/// Any refusal the engine reports to the user: the message is meant for a message box.
class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// Long work that the user stopped; the message says what did not happen.
class Cancelled : public Error
{
public:
    using Error::Error;
};

/// At most the first 40 characters of a text a message quotes, with every control byte, quote,
/// backslash and byte outside printable ASCII escaped ("\n", "\x1B", ...) and "..." where the
/// text was cut; so a message stays short and safe to show or print whatever the text holds.
std::string QuotedText(std::string_view text);

/// A text that was expected to hold a number and does not. The message names the text (quoted
/// as QuotedText does), after its place when one is given ("Line 12, number 3: 'x' is not a
/// valid number."); text() keeps it whole.
class ConversionError : public Error
{
public:
    explicit ConversionError(
        std::string text, const char *what = "number", std::string_view place = {});
    const std::string &text() const { return text_; }

private:
    std::string text_;
};

/// The position `index` in a list of `count` entries, for a position found from a project's
/// values (a day from a retention time, a count from a file). The checks before the work keep
/// every such position inside its list; should one still fall outside, a debug build stops at
/// the assertion and a release build throws Error with the text `refusal()` gives, instead of
/// reading outside the list.
template <typename Refusal>
std::size_t CheckedIndex(std::int64_t index, std::size_t count, Refusal &&refusal)
{
    const bool inside = index >= 0 && static_cast<std::uint64_t>(index) < count;
    assert(inside && "a position found from the project's values lies outside its list");
    if (!inside)
        throw Error(refusal());
    return static_cast<std::size_t>(index);
}

} // namespace carexa
