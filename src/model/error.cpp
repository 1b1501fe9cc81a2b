#include "model/error.h"

namespace carexa {

ConversionError::ConversionError(std::string text, const char *what)
    : Error("'" + text + "' is not a valid " + what + "."), text_(std::move(text))
{ }

} // namespace carexa
