#include "io/output_file.h"

#include "model/error.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>
#include <streambuf>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace carexa;
using carexa::testing_support::ReadText;
using carexa::testing_support::TempDir;
using carexa::testing_support::WriteText;
namespace fs = std::filesystem;

namespace {

using Temporary = OutputFile::Temporary;

std::vector<std::string> Names(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t ModeOf(const fs::path &file)
{
    struct stat status
    { };
    EXPECT_EQ(::stat(file.c_str(), &status), 0) << file;
    return status.st_mode & 07777;
}

// The message of the Error that `action` throws, or "" when it throws none.
std::string ErrorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &e) {
        return e.what();
    }
    return {};
}

void Write(const fs::path &target, const std::string &text, Temporary temporary)
{
    OutputFile file(target, "The data sheet", temporary);
    file.write(text);
    file.finish();
}

// Runs `child` in a forked process and returns its exit status (-1 when it did not exit).
int InChild(const std::function<int()> &child)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(child());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The user a permission test runs as: itself, or "nobody" when it runs as the superuser (who
// may write any file). False when the switch is not possible.
bool BecomeOrdinaryUser()
{
    if (::geteuid() != 0)
        return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

class Umask
{
public:
    explicit Umask(mode_t mask) : old_(::umask(mask)) { }
    ~Umask() { ::umask(old_); }

private:
    mode_t old_;
};

class BothTemporaries : public ::testing::TestWithParam<Temporary>
{ };

INSTANTIATE_TEST_SUITE_P(OutputFile, BothTemporaries,
    ::testing::Values(Temporary::Unnamed, Temporary::Named),
    [](const auto &info) { return info.param == Temporary::Unnamed ? "Unnamed" : "Named"; });

TEST_P(BothTemporaries, NewFileGetsTheUsualPermissionsAndNothingElseIsLeft)
{
    TempDir dir;
    const Umask mask(027);
    Write(dir / "sheet.csv", "Day,BOD5 out\n1,2\n", GetParam());
    EXPECT_EQ(ReadText(dir / "sheet.csv"), "Day,BOD5 out\n1,2\n");
    EXPECT_EQ(ModeOf(dir / "sheet.csv"), 0640u);
    EXPECT_EQ(Names(dir.path()), std::vector<std::string> {"sheet.csv"});
}

TEST_P(BothTemporaries, UnfinishedFileLeavesTheOldOneAndNothingBehind)
{
    TempDir dir;
    WriteText(dir / "p.mdl", "old");
    {
        OutputFile file(dir / "p.mdl", "The project", GetParam());
        EXPECT_EQ(file.unnamed(), GetParam() == Temporary::Unnamed);
        file.write(std::string(100000, 'x'));
    }
    EXPECT_EQ(ReadText(dir / "p.mdl"), "old");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string> {"p.mdl"});
}

// A write the system refuses half-way (here the file size limit) leaves the old file whole.
TEST_P(BothTemporaries, FailedWriteLeavesTheOldFileIntact)
{
    TempDir dir;
    WriteText(dir / "sheet.csv", "old sheet");
    const Temporary temporary = GetParam();
    const int status = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit {4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const std::string message
            = ErrorOf([&] { Write(dir / "sheet.csv", std::string(70000, '1'), temporary); });
        return message == "The data sheet could not be saved to \"sheet.csv\": File too large." ? 0
                                                                                                : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadText(dir / "sheet.csv"), "old sheet");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string> {"sheet.csv"});
}

TEST_P(BothTemporaries, FolderThatDisappearsFailsWithItsReason)
{
    TempDir dir;
    fs::create_directory(dir / "out");
    OutputFile file(dir / "out" / "sheet.csv", "The data sheet", GetParam());
    file.write("1,2\n");
    fs::remove_all(dir / "out");
    EXPECT_EQ(ErrorOf([&] { file.finish(); }),
        "The data sheet could not be saved to \"sheet.csv\": No such file or directory.");
    EXPECT_FALSE(fs::exists(dir / "out"));
}

// The same when a file is being replaced: its folder goes, old file and all.
TEST_P(BothTemporaries, FolderThatDisappearsUnderAReplacementFailsWithItsReason)
{
    TempDir dir;
    fs::create_directory(dir / "out");
    WriteText(dir / "out" / "sheet.csv", "old");
    OutputFile file(dir / "out" / "sheet.csv", "The data sheet", GetParam());
    file.write("1,2\n");
    fs::remove_all(dir / "out");
    EXPECT_EQ(ErrorOf([&] { file.finish(); }),
        "The data sheet could not be saved to \"sheet.csv\": No such file or directory.");
    EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST_P(BothTemporaries, ReplacesTheFileASymbolicLinkPointsTo)
{
    TempDir dir;
    fs::create_directory(dir / "data");
    fs::create_directory(dir / "links");
    WriteText(dir / "data" / "real.csv", "old");
    fs::create_symlink("../data/real.csv", dir / "links" / "sheet.csv");

    OutputFile file(dir / "links" / "sheet.csv", "The data sheet", GetParam());
    EXPECT_EQ(file.destination(), dir / "links" / "../data/real.csv");
    file.write("new");
    file.finish();

    EXPECT_TRUE(fs::is_symlink(dir / "links" / "sheet.csv"));
    EXPECT_EQ(fs::read_symlink(dir / "links" / "sheet.csv"), "../data/real.csv");
    EXPECT_EQ(ReadText(dir / "data" / "real.csv"), "new");
    EXPECT_EQ(Names(dir / "data"), std::vector<std::string> {"real.csv"});
    EXPECT_EQ(Names(dir / "links"), std::vector<std::string> {"sheet.csv"});
}

TEST_P(BothTemporaries, FollowsAChainAndCreatesTheFileADanglingLinkNames)
{
    TempDir dir;
    fs::create_directory(dir / "b");
    fs::create_directory(dir / "c");
    WriteText(dir / "c" / "real.csv", "old");
    // a -> b/link (absolute) -> ../c/real.csv (relative to b)
    fs::create_symlink("../c/real.csv", dir / "b" / "link");
    fs::create_symlink(dir / "b" / "link", dir / "a");
    Write(dir / "a", "chained", GetParam());
    EXPECT_EQ(ReadText(dir / "c" / "real.csv"), "chained");
    EXPECT_TRUE(fs::is_symlink(dir / "a"));
    EXPECT_TRUE(fs::is_symlink(dir / "b" / "link"));

    fs::create_symlink("c/fresh.csv", dir / "dangling");
    Write(dir / "dangling", "fresh", GetParam());
    EXPECT_EQ(ReadText(dir / "c" / "fresh.csv"), "fresh");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
    EXPECT_EQ(Names(dir / "c"), (std::vector<std::string> {"fresh.csv", "real.csv"}));
}

TEST(OutputFile, LinkLoopsAndOverlongChainsAreRefused)
{
    TempDir dir;
    fs::create_symlink("two", dir / "one");
    fs::create_symlink("one", dir / "two");
    EXPECT_EQ(ErrorOf([&] { Write(dir / "one", "x", Temporary::Unnamed); }),
        "The data sheet could not be saved to \"one\": Too many levels of symbolic links.");

    // 40 links are followed, as the system does; a 41st is one too many.
    WriteText(dir / "end", "old");
    const auto link = [](int i) {
        std::string name = "l";
        name += std::to_string(i);
        return name;
    };
    for (int i = 0; i < 41; ++i)
        fs::create_symlink(i == 0 ? std::string("end") : link(i - 1), dir / link(i));
    fs::path file;
    EXPECT_EQ(FollowSymbolicLinks(dir / "l39", file), 0);
    EXPECT_EQ(file, dir / "end");
    EXPECT_EQ(FollowSymbolicLinks(dir / "l40", file), ELOOP);
    EXPECT_EQ(FollowSymbolicLinks(dir / "none", file), 0);
    EXPECT_EQ(file, dir / "none");
    EXPECT_EQ(ReadText(dir / "end"), "old");
}

struct ModeCase
{
    mode_t old;
    mode_t expected;
};

class ReplacementModes : public ::testing::TestWithParam<ModeCase>
{ };

INSTANTIATE_TEST_SUITE_P(OutputFile, ReplacementModes,
    ::testing::Values(ModeCase {0644, 0644}, ModeCase {0600, 0600}, ModeCase {0755, 0755},
        ModeCase {04755, 0755}, ModeCase {02770, 0770}, ModeCase {06711, 0711},
        ModeCase {01644, 01644}, ModeCase {0444, 0444}));

TEST_P(ReplacementModes, NewFileKeepsTheOldBitsWithoutSetIds)
{
    EXPECT_EQ(ReplacementMode(GetParam().old | S_IFREG), GetParam().expected);
    TempDir dir;
    WriteText(dir / "run.sh", "old");
    ASSERT_EQ(::chmod((dir / "run.sh").c_str(), GetParam().old), 0);
    if (ModeOf(dir / "run.sh") != GetParam().old)
        GTEST_SKIP() << "this file system does not keep these bits";
    if (WriteAccessError(dir / "run.sh") != 0)
        GTEST_SKIP() << "a read-only file is refused to this user";
    Write(dir / "run.sh", "new", Temporary::Unnamed);
    EXPECT_EQ(ReadText(dir / "run.sh"), "new");
    EXPECT_EQ(ModeOf(dir / "run.sh"), GetParam().expected);
}

TEST(OutputFile, ReadOnlyTargetIsRefusedWithTheSystemsReason)
{
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    WriteText(dir / "locked.mdl", "old");
    ASSERT_EQ(::chmod((dir / "locked.mdl").c_str(), 0444), 0);
    // Someone else's file in a folder everyone may write: renaming could replace it.
    WriteText(dir / "theirs.mdl", "theirs");
    const bool foreign = ::geteuid() == 0;
    const int status = InChild([&] {
        if (!BecomeOrdinaryUser())
            return 2;
        if (WriteAccessError(dir / "locked.mdl") != EACCES)
            return 3;
        for (const char *name : {"locked.mdl", "theirs.mdl"}) {
            if (std::string(name) == "theirs.mdl" && !foreign)
                continue;
            for (Temporary temporary : {Temporary::Unnamed, Temporary::Named}) {
                const std::string message = ErrorOf([&] { Write(dir / name, "new", temporary); });
                if (message
                    != "The data sheet could not be saved to \"" + std::string(name)
                        + "\": Permission denied.")
                    return 4;
            }
        }
        // A file the user may write is replaced as usual.
        Write(dir / "mine.mdl", "mine", Temporary::Unnamed);
        return WriteAccessError(dir / "mine.mdl") == 0 ? 0 : 5;
    });
    if (status == 2)
        GTEST_SKIP() << "cannot run as an ordinary user";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadText(dir / "locked.mdl"), "old");
    EXPECT_EQ(ReadText(dir / "theirs.mdl"), "theirs");
    EXPECT_EQ(ReadText(dir / "mine.mdl"), "mine");
    EXPECT_EQ(
        Names(dir.path()), (std::vector<std::string> {"locked.mdl", "mine.mdl", "theirs.mdl"}));
}

TEST(OutputFile, SuperuserReplacesAFileAndKeepsItsOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser may give a file to someone else";
    TempDir dir;
    // Owner and group another's, or only the owner, or only the group.
    for (const auto &[uid, gid] : {std::pair {65534u, 65534u}, {65534u, 0u}, {0u, 65534u}}) {
        WriteText(dir / "p.mdl", "old");
        ASSERT_EQ(::chown((dir / "p.mdl").c_str(), uid, gid), 0);
        ASSERT_EQ(::chmod((dir / "p.mdl").c_str(), 0640), 0);
        Write(dir / "p.mdl", "new", Temporary::Unnamed);
        struct stat status
        { };
        ASSERT_EQ(::stat((dir / "p.mdl").c_str(), &status), 0);
        EXPECT_EQ(status.st_uid, uid);
        EXPECT_EQ(status.st_gid, gid);
        EXPECT_EQ(status.st_mode & 07777, 0640u);
        EXPECT_EQ(ReadText(dir / "p.mdl"), "new");
    }
}

TEST(OutputFile, FoldersAndMissingFoldersAreRefused)
{
    TempDir dir;
    EXPECT_EQ(ErrorOf([&] { Write(dir.path(), "x", Temporary::Unnamed); }),
        "The data sheet could not be saved to \"" + dir.path().filename().string()
            + "\": Is a directory.");
    EXPECT_EQ(ErrorOf([&] { Write(dir / "none" / "x.csv", "x", Temporary::Unnamed); }),
        "The data sheet could not be saved to \"x.csv\": No such file or directory.");
    EXPECT_EQ(ErrorOf([&] { Write("", "x", Temporary::Unnamed); }),
        "The data sheet could not be saved to \"\": No such file or directory.");
}

// Only the name written is replaced; a second hard link keeps the old contents.
TEST(OutputFile, HardLinkKeepsTheOldContents)
{
    TempDir dir;
    WriteText(dir / "p.mdl", "old");
    fs::create_hard_link(dir / "p.mdl", dir / "copy.mdl");
    Write(dir / "p.mdl", "new", Temporary::Unnamed);
    EXPECT_EQ(ReadText(dir / "p.mdl"), "new");
    EXPECT_EQ(ReadText(dir / "copy.mdl"), "old");
}

// A device of the test's own: the system's devices are never a target here, so even a faulty
// writer run by the superuser cannot replace them. Without the right to make device nodes, a
// link to the system's device stands in (such a user cannot replace it).
fs::path OwnDevice(const TempDir &dir, const char *name, unsigned minor)
{
    const fs::path node = dir / name;
    if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, minor)) != 0)
        fs::create_symlink(fs::path("/dev") / name, node);
    return node;
}

TEST(OutputFile, DevicesAreWrittenInPlace)
{
    TempDir dir;
    const fs::path null = OwnDevice(dir, "null", 3);
    const fs::path full = OwnDevice(dir, "full", 7);
    {
        OutputFile file(null, "The data sheet");
        EXPECT_FALSE(file.unnamed());
        file.write("anything");
        file.finish();
    }
    EXPECT_EQ(ErrorOf([&] { Write(full, "1,2\n", Temporary::Unnamed); }),
        "The data sheet could not be saved to \"full\": No space left on device.");
    for (const fs::path &device : {null, full}) {
        struct stat status
        { };
        ASSERT_EQ(::stat(device.c_str(), &status), 0);
        EXPECT_TRUE(S_ISCHR(status.st_mode)) << device;
    }
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string> {"full", "null"}));
}

// A program killed while it writes leaves no temporary file where the system offers unnamed
// ones.
TEST(OutputFile, KilledWriteLeavesNothingBehind)
{
    TempDir dir;
    WriteText(dir / "p.mdl", "old");
    const pid_t pid = ::fork();
    if (pid == 0) {
        OutputFile file(dir / "p.mdl", "The project");
        file.write(std::string(1 << 20, 'x'));
        ::_exit(file.unnamed() ? 9 : 8);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 8)
        GTEST_SKIP() << "this file system has no unnamed temporary files";
    EXPECT_EQ(WEXITSTATUS(status), 9);
    EXPECT_EQ(ReadText(dir / "p.mdl"), "old");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string> {"p.mdl"});
}

// "." + name + "."
std::string Hidden(const std::string &name)
{
    std::string hidden = ".";
    hidden += name;
    hidden += '.';
    return hidden;
}

TEST(OutputFile, TemporaryNamesFitTheFolder)
{
    EXPECT_EQ(TemporaryPrefix("sheet.csv", 255), ".sheet.csv.");
    const std::string longest(255, 'n');
    EXPECT_EQ(TemporaryPrefix(longest, 255), Hidden(std::string(247, 'n')));
    EXPECT_EQ(TemporaryPrefix(std::string(247, 'n'), 255), Hidden(std::string(247, 'n')));
    EXPECT_EQ(TemporaryPrefix(std::string(248, 'n'), 255), Hidden(std::string(247, 'n')));
    // "ø" is two bytes: 123 of them (246 bytes) fit, the 124th would be cut in two.
    std::string wide;
    for (int i = 0; i < 127; ++i)
        wide += "\xC3\xB8";
    EXPECT_EQ(TemporaryPrefix(wide, 255), Hidden(wide.substr(0, 246)));
    EXPECT_EQ(TemporaryPrefix("abc", 9), ".a.");
    EXPECT_EQ(TemporaryPrefix("abc", 8), "..");
    EXPECT_EQ(TemporaryPrefix("abc", 11), ".abc.");
}

TEST_P(BothTemporaries, NamesUpToTheLongestAreWritten)
{
    TempDir dir;
    const long nameMax = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
    const std::string name(static_cast<std::size_t>(nameMax > 0 ? nameMax : NAME_MAX), 'L');
    Write(dir / name, "first", GetParam());
    Write(dir / name, "second", GetParam());
    EXPECT_EQ(ReadText(dir / name), "second");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string> {name});
}

// A stream buffer that takes nothing, as a full disk does.
class FullBuffer : public std::streambuf
{
protected:
    int_type overflow(int_type) override
    {
        errno = ENOSPC;
        return traits_type::eof();
    }
};

TEST(StreamSink, FailedFlushIsAnErrorWithItsReason)
{
    FullBuffer full;
    std::ostream stream(&full);
    StreamSink sink(stream, "Standard output");
    EXPECT_EQ(ErrorOf([&] { sink.write("1,2\n"); }),
        "Standard output could not be written: No space left on device.");

    // A file stream takes the bytes into its buffer; the device refuses them at the flush.
    std::ofstream device("/dev/full");
    StreamSink buffered(device, "Standard output");
    buffered.write("1,2\n");
    EXPECT_EQ(ErrorOf([&] { buffered.finish(); }),
        "Standard output could not be written: No space left on device.");

    std::ostringstream fine;
    StreamSink good(fine, "Standard output");
    good.write("1,2\n");
    good.finish();
    EXPECT_EQ(fine.str(), "1,2\n");
}

} // namespace
