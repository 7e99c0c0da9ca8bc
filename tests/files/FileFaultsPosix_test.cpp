// Files that fight back: saving over files with their own permissions, through links, into
// folders the user may not write, onto a full disk; loading files cut at every byte, far too
// large, or with absurd lines. Each ends with the old file intact or a clear error, never half a
// file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>

#include "base/Cp1251.h"
#include "files/FileIo.h"
#include "files/FileLayouts.h"
#include "tables/CommaText.h"
#include "tables/MessageTable.h"
#include "tables/PluColumns.h"
#include "tables/PluTable.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

class FileFaults : public ::testing::Test {
 protected:
  FileFaults() {
    dir = fs::temp_directory_path() / ("qm-filefaults-" + std::to_string(std::random_device()()));
    fs::create_directories(dir);
  }
  ~FileFaults() override {
    std::error_code ec;
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir, ec);
  }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
  std::string Put(const std::string& name, const std::string& bytes, mode_t mode = 0644) const {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    ::chmod(Path(name).c_str(), mode);
    return Path(name);
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Nothing but the files named is left in the folder (no temporary file).
  void ExpectOnly(std::set<std::string> names) const {
    std::set<std::string> found;
    for (const auto& e : fs::directory_iterator(dir)) found.insert(e.path().filename().string());
    EXPECT_EQ(found, names);
  }
  // Runs `write` as a user who owns none of the files: root hands it to a child process that
  // becomes nobody; anyone else already is such a user for a file made unwritable. The result is
  // the write's system message, empty when it succeeded.
  static std::string AsOtherUser(const std::function<FileResult()>& write) {
    if (::geteuid() != 0) return write().systemMessage;
    int pipe[2];
    if (::pipe(pipe) != 0) return "pipe";
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(pipe[0]);
      if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) _exit(2);
      const std::string message = write().systemMessage;
      (void)!::write(pipe[1], message.data(), message.size());
      _exit(0);
    }
    ::close(pipe[1]);
    std::string message;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? message : "child failed";
  }

  fs::path dir;
};

const std::string kDenied = std::make_error_code(std::errc::permission_denied).message();

TEST_F(FileFaults, SavingOverAFileKeepsItsModeAndOwner) {
  const std::string secret = Put("secret.csv", "old", 0600);
  ASSERT_TRUE(WriteWholeFile(secret, "new").ok);
  EXPECT_EQ(Slurp(secret), "new");
  EXPECT_EQ(fs::status(secret).permissions() & fs::perms::mask,
            fs::perms::owner_read | fs::perms::owner_write);
  if (::geteuid() == 0) {  // only root may give a file to someone else
    ASSERT_EQ(::chown(secret.c_str(), kNobody, kNobody), 0);
    ASSERT_TRUE(WriteWholeFile(secret, "newer").ok);
    struct stat st {};
    ASSERT_EQ(::stat(secret.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
  }
  ExpectOnly({"secret.csv"});
}

TEST_F(FileFaults, SavingThroughASymbolicLinkWritesItsTarget) {
  fs::create_directories(dir / "real");
  const std::string real = Put("real/real.plw", "old");
  fs::create_symlink("real/real.plw", dir / "link.plw");    // relative to the link's folder
  fs::create_symlink(dir / "link.plw", dir / "chain.plw");  // a link to a link
  fs::create_symlink("real/new.plw", dir / "dangling.plw");

  ASSERT_TRUE(WriteWholeFile(Path("chain.plw"), "via chain").ok);
  EXPECT_TRUE(fs::is_symlink(dir / "link.plw"));
  EXPECT_TRUE(fs::is_symlink(dir / "chain.plw"));
  EXPECT_EQ(Slurp(real), "via chain");
  ASSERT_TRUE(WriteWholeFile(Path("dangling.plw"), "made").ok);
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.plw"));
  EXPECT_EQ(Slurp(Path("real/new.plw")), "made");

  fs::create_symlink("loop.plw", dir / "loop.plw");
  EXPECT_FALSE(WriteWholeFile(Path("loop.plw"), "x").ok);
}

TEST_F(FileFaults, WhatTheUserMayNotWriteIsRefusedAndKept) {
  // A read-only file of someone else in a folder anyone may write: replacing it would work,
  // writing it in place would not, so it is refused.
  fs::permissions(dir, fs::perms::all | fs::perms::sticky_bit);
  const std::string readOnly = Put("ro.csv", "old", 0444);
  EXPECT_EQ(AsOtherUser([&] { return WriteWholeFile(readOnly, "new"); }), kDenied);
  EXPECT_EQ(Slurp(readOnly), "old");

  // A folder the user may not write: neither a new file nor a replaced one.
  const std::string kept = Put("kept.csv", "old", 0666);
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  EXPECT_EQ(AsOtherUser([&] { return WriteWholeFile(kept, "new"); }), kDenied);
  EXPECT_EQ(AsOtherUser([&] { return WriteWholeFile(Path("fresh.csv"), "new"); }), kDenied);
  EXPECT_EQ(Slurp(kept), "old");
  ExpectOnly({"ro.csv", "kept.csv"});

  // A folder in the target's place.
  fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
  fs::create_directories(dir / "folder.csv");
  EXPECT_EQ(WriteWholeFile(Path("folder.csv"), "x").systemMessage,
            std::make_error_code(std::errc::is_a_directory).message());
}

// What a killed save of the same file left is cleared by the next save once it is stale: a
// minute old and its process gone, or an hour old whatever its name says.
TEST_F(FileFaults, LeftoversOfKilledSavesAreClearedOnceStale) {
  using std::chrono::minutes;
  const auto now = fs::file_time_type::clock::now();
  const std::string gone = "99999999";  // above any process id the system gives
  const std::string running = std::to_string(::getppid());
  struct Leftover {
    std::string name;
    minutes age;
    bool cleared;
  };
  const Leftover leftovers[] = {
      {"t.csv.saving", minutes(2), true},  // the name older saves used
      {"t.csv.saving.7", minutes(0), false},
      {"t.csv.saving-" + gone + "-0a1b2c3d-0", minutes(2), true},
      {"t.csv.saving-" + gone + "-0a1b2c3d-1", minutes(0), false},  // too fresh to tell
      {"t.csv.saving-" + running + "-0a1b2c3d-0", minutes(30), false},
      {"t.csv.saving-" + running + "-0a1b2c3d-1", minutes(61), true},
      {"t.csv.savings", minutes(120), false},  // not a temporary name
      {"u.csv.saving", minutes(120), false},   // another file's
  };
  std::set<std::string> kept = {"t.csv"};
  for (const Leftover& l : leftovers) {
    Put(l.name, "x");
    fs::last_write_time(dir / l.name, now - l.age);
    if (!l.cleared) kept.insert(l.name);
  }
  ASSERT_TRUE(WriteWholeFile(Path("t.csv"), "new").ok);
  ExpectOnly(kept);
}

// A device or a pipe that is there already is written into; a file renamed into its place would
// replace the device for everyone on the machine.
TEST_F(FileFaults, ADeviceOrAPipeIsWrittenIntoAndStays) {
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  const int reader = ::open(Path("fifo").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  for (const std::string& path : {std::string("/dev/null"), Path("fifo")}) {
    EXPECT_TRUE(CheckWritable(path).ok) << path;
    EXPECT_TRUE(WriteWholeFile(path, "12345").ok) << path;
  }
  char got[16] = {};
  EXPECT_EQ(::read(reader, got, sizeof got), 5);
  EXPECT_STREQ(got, "12345");
  ::close(reader);
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
  ExpectOnly({"fifo"});
}

// Asked before the work: the same answers the save would give.
TEST_F(FileFaults, AnOutputIsCheckedBeforeTheWork) {
  fs::create_directories(dir / "folder.csv");
  Put("file", "x");
  const auto message = [](std::errc e) { return std::make_error_code(e).message(); };
  const std::pair<std::string, std::string> cases[] = {
      {Path("new.csv"), ""},
      {Path("file"), ""},
      {Path("missing/x.csv"), message(std::errc::no_such_file_or_directory)},
      {Path("file/x.csv"), message(std::errc::not_a_directory)},
      {Path("folder.csv"), message(std::errc::is_a_directory)},
  };
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(CheckWritable(path).systemMessage, expected) << path;
  }
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  EXPECT_EQ(AsOtherUser([&] { return CheckWritable(Path("fresh.csv")); }), kDenied);
}

TEST_F(FileFaults, PathsToOneFileHaveOneIdentity) {
  Put("a.csv", "x");
  fs::create_directories(dir / "sub");
  fs::create_symlink(dir / "a.csv", dir / "link.csv");
  fs::create_hard_link(dir / "a.csv", dir / "hard.csv");
  fs::create_symlink("later.csv", dir / "dangling.csv");
  const std::string relative = fs::relative(dir / "a.csv", fs::current_path()).string();
  const std::string a = Path("a.csv");
  struct Case {
    std::string one, other;
    bool same;
  };
  const Case cases[] = {
      {a, Path("link.csv"), true},
      {a, Path("hard.csv"), true},
      {a, Path("sub/.././a.csv"), true},
      {a, relative, true},
      {Path("dangling.csv"), Path("later.csv"), true},  // a file not made yet
      {Path("sub/../new.csv"), Path("new.csv"), true},
      {a, Path("later.csv"), false},
      {Path("new.csv"), Path("sub/new.csv"), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IdentityOf(c.one) == IdentityOf(c.other), c.same) << c.one << " " << c.other;
  }
}

TEST_F(FileFaults, AFullDiskKeepsThePreviousFile) {
  const fs::path small = dir / "small";
  fs::create_directories(small);
  if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "mounting a small tmpfs needs the rights to mount (" << std::strerror(errno)
                 << ")";
  }
  const std::string target = (small / "t.csv").string();
  { std::ofstream(target, std::ios::binary) << "old"; }
  const FileResult r = WriteWholeFile(target, std::string(1 << 20, 'x'));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.systemMessage, std::make_error_code(std::errc::no_space_on_device).message());
  EXPECT_EQ(Slurp(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(small), fs::directory_iterator()), 1);
  ::umount(small.c_str());
}

TEST_F(FileFaults, AFileFarTooLargeIsRefusedBeforeItIsRead) {
  const std::string big = Put("big.csv", "");
  fs::resize_file(big, 50u << 20);  // sparse: costs no disk
  std::string bytes = "x";
  const FileResult r = ReadWholeFile(big, bytes);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.systemMessage, std::make_error_code(std::errc::file_too_large).message());
  EXPECT_TRUE(bytes.empty());
  // A stream that says no size is cut off as it is read.
  EXPECT_EQ(ReadWholeFile("/dev/zero", bytes, 1 << 20).systemMessage, r.systemMessage);
  EXPECT_TRUE(bytes.empty());
}

TEST(FileCut, EveryPrefixOfEveryLayoutLoadsOrIsRefused) {
  TextGrid plu(kPluColumnCount);
  plu.SetTitles(PluColumnTitles());
  Cells row{"7", Win1251("Хлеб \"Б\""), "x y", "45.50", "5", "0.125", "12", "3", "1"};
  row.resize(kPluColumnCount);
  plu.ReplaceDataRows({row, row});
  MessageTable messages;
  messages.Grid().ReplaceDataRows({{"1", "a b"}, {"2", "c"}});
  messages.Texts() = {ToCommaText({"l 1", "l,2"}), ToCommaText({""})};
  const std::string files[] = {WritePluCsv(plu, ';'), WriteMessageCsv(messages, ';'),
                               WritePluNative(plu, nullptr), WriteMessageNative(messages)};
  for (int layout = 0; layout < 4; ++layout) {
    const std::string& whole = files[layout];
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
      SCOPED_TRACE(std::to_string(layout) + " cut at " + std::to_string(cut));
      const std::string_view prefix(whole.data(), cut);
      std::size_t rows = 0;
      if (layout < 2) {
        const auto content = ParseDataFile(prefix);
        if (content) rows = content->rows.size();
      } else if (layout == 2) {
        rows = ParsePluNative(prefix, nullptr)->size();
      } else if (const auto content = ParseMessageNative(prefix)) {
        rows = content->rows.size();
      }
      EXPECT_LE(rows, 2u);  // a cut file never grows rows of its own
    }
  }
}

TEST(FileCut, ALineOfTenThousandFieldsKeepsTheTableItsWidth) {
  std::string line = "1";
  for (int i = 0; i < 10000; ++i) line += ";f";
  const auto plu = ParseDataFile(Win1251("Товары;\r\nT\r\n") + line + "\r\n");
  ASSERT_TRUE(plu);
  ASSERT_EQ(plu->rows.size(), 1u);
  EXPECT_EQ(plu->rows[0].size(), static_cast<std::size_t>(kPluColumnCount));
  const auto msg = ParseDataFile(Win1251("Сообщения;\r\nT\r\n") + line + "\r\n");
  ASSERT_TRUE(msg);
  EXPECT_EQ(msg->rows[0].size(), static_cast<std::size_t>(kMessageColumnCount));
  EXPECT_EQ(FromCommaText(msg->texts[0]).size(), 9999u);  // the lines; the check judges them
}

}  // namespace
}  // namespace qm
