#pragma once

#include <stdexcept>
#include <string>

namespace carexa {

/// Any refusal the engine reports to the user: the message is meant for a message box.
class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// A text that was expected to hold a number and does not. The message names the text.
class ConversionError : public Error
{
public:
    explicit ConversionError(std::string text, const char *what = "number");
    const std::string &text() const { return text_; }

private:
    std::string text_;
};

} // namespace carexa
