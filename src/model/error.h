#pragma once

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
/// as QuotedText does); text() keeps it whole.
class ConversionError : public Error
{
public:
    explicit ConversionError(std::string text, const char *what = "number");
    const std::string &text() const { return text_; }

private:
    std::string text_;
};

} // namespace carexa
