#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace carexa::testing_support {

/// A fresh folder below the system's temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path operator/(const std::string &name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

std::string ReadText(const std::filesystem::path &file);
/// The lines of a text, without their line breaks.
std::vector<std::string> Lines(const std::string &text);
void WriteText(const std::filesystem::path &file, const std::string &text);

/// A file of the repository's examples folder.
std::filesystem::path ExampleFile(const std::string &name);

} // namespace carexa::testing_support
