// The qm-scale-sim program itself, run as a process: the options it refuses with the reason, and
// its normal way to stop, a stop signal, ending it with exit code 0.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace qmsim::test {
namespace {

struct Ended {
  int code = -1;     // the exit code, or 128 + the signal that killed it
  std::string path;  // the first line of stdout
  std::string err;
};

// Reads what `fd` holds until it closes or a line ends (`line`), waiting at most 10 s in all.
std::string ReadFrom(int fd, bool line) {
  std::string text;
  char c;
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, 10000) == 1 && read(fd, &c, 1) == 1) {
    if (line && c == '\n') break;
    text += c;
  }
  return text;
}

// Runs the program with `args`; once it printed its line, sends it `stop`.
Ended RunSim(const std::string& program, const std::vector<std::string>& args, int stop) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]);
    close(err[0]);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  Ended ended;
  ended.path = ReadFrom(out[0], true);
  // A program that started where it should have refused is killed, so the test fails, not hangs.
  if (!ended.path.empty()) kill(child, stop != 0 ? stop : SIGKILL);
  ended.err = ReadFrom(err[0], false);
  int status = 0;
  waitpid(child, &status, 0);
  ended.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  close(out[0]);
  close(err[0]);
  return ended;
}

TEST(SimProgram, RefusesRatesNoPortHasAndStopsWithZero) {
  const char* bin = std::getenv("QM_TEST_BIN");
  if (bin == nullptr) GTEST_SKIP() << "QM_TEST_BIN names the folder of the programs";
  const std::string program = std::string(bin) + "/qm-scale-sim";
  struct Case {
    std::vector<std::string> args;
    int stop;
    int code;
    std::string err;  // the start of stderr
  };
  const std::vector<Case> cases = {
      {{"--baud", "12"}, 0, 2,
       "qm-scale-sim: bad baud: 12 (give 0 or one of 110, 300, 600, 1200, 2400, 4800, 9600, "
       "14400, 19200, 38400, 56000, 57600, 115200)\n"},
      {{"-b", "9601"}, 0, 2, "qm-scale-sim: bad baud: 9601 (give 0 or one of 110, "},
      {{"--baud", "9600"}, SIGTERM, 0, ""},
      {{"--baud", "0"}, SIGINT, 0, ""},
      {{"--baud", "115200", "--demo"}, SIGTERM, 0, ""},
  };
  for (const Case& c : cases) {
    const Ended e = RunSim(program, c.args, c.stop);
    EXPECT_EQ(e.code, c.code) << c.args[1] << ": " << e.err;
    EXPECT_EQ(e.err.substr(0, c.err.size()), c.err) << c.args[1];
    if (c.code == 0) {
      EXPECT_EQ(e.path.rfind("/dev/", 0), 0u) << e.path;
    }
  }
}

}  // namespace
}  // namespace qmsim::test
