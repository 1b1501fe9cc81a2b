#pragma once

// Reading a report back as its reader does: poppler's pdftotext, pdfinfo and pdfimages.

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace carexa::testing_support {

// What a shell command writes on standard output.
inline std::string Output(const std::string &command)
{
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string text;
    std::array<char, 4096> buffer {};
    while (pipe && std::fgets(buffer.data(), static_cast<int>(buffer.size()), pipe.get()))
        text += buffer.data();
    return text;
}

inline std::string Quoted(const std::filesystem::path &path)
{
    return "'" + path.string() + "'";
}

// Runs of blanks as one space, so table rows compare by their cells.
inline std::string Collapsed(const std::string &text)
{
    std::string out;
    for (char c : text) {
        const bool blank = c == ' ' || c == '\t';
        if (!blank || out.empty() || out.back() != ' ')
            out += blank ? ' ' : c;
    }
    return out;
}

// The whole text as one line: headings and sentences found wherever the lines break.
inline std::string Flat(const std::string &text)
{
    std::string out;
    for (char c : text) {
        const bool blank = std::isspace(static_cast<unsigned char>(c)) != 0;
        if (!blank || out.empty() || out.back() != ' ')
            out += blank ? ' ' : c;
    }
    return out;
}

inline std::string PageText(const std::filesystem::path &pdf, int page)
{
    return Output("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page)
        + " " + Quoted(pdf) + " -");
}

inline int PageCount(const std::filesystem::path &pdf)
{
    const std::string info = Output("pdfinfo " + Quoted(pdf));
    const std::size_t at = info.find("Pages:");
    EXPECT_NE(at, std::string::npos);
    return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}

// Each word of the file with the left edge of its box (points), as pdftotext -bbox gives them;
// a word drawn partly outside a clipped figure still has its whole box.
inline std::vector<std::pair<std::string, double>> WordLeftEdges(const std::filesystem::path &pdf)
{
    std::vector<std::pair<std::string, double>> words;
    for (const std::string &line : Lines(Output("pdftotext -bbox " + Quoted(pdf) + " -"))) {
        const std::size_t at = line.find("<word xMin=\"");
        const std::size_t end = line.rfind("</word>");
        const std::size_t text = line.find('>', at);
        if (at == std::string::npos || end == std::string::npos || text == std::string::npos)
            continue;
        words.emplace_back(line.substr(text + 1, end - text - 1), std::stod(line.substr(at + 12)));
    }
    return words;
}

// The line of `text` that starts (after blanks) with `start`, blanks collapsed.
inline std::string LineStarting(const std::string &text, const std::string &start)
{
    for (const std::string &line : Lines(text)) {
        const std::string collapsed = Collapsed(line);
        const std::size_t first = collapsed.find_first_not_of(' ');
        if (first != std::string::npos && collapsed.compare(first, start.size(), start) == 0)
            return collapsed.substr(first);
    }
    return {};
}

} // namespace carexa::testing_support
