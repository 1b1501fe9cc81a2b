#pragma once

#include <string>
#include <string_view>

namespace carexa {

/// Text for a roff (man) line: backslashes, option dashes and a leading full stop or apostrophe
/// escaped, so roff prints it as it stands; a comma within a word (a list, a CSV heading) may end
/// a line.
std::string RoffText(std::string_view text);

/// The manual page carexa-sim(1) in roff, made from the same commands, synopses and help texts
/// as `carexa-sim --help`: the synopsis of every command, each command's description with its
/// options, the notes on output files and the exit statuses. `date` goes into the page's
/// heading (such as "2026-12-07").
std::string BatchManualPage(std::string_view date);

} // namespace carexa
