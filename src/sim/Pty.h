// A pseudo-terminal pair for the virtual scale: the scale talks on the master end, the program
// under test opens the terminal (slave) end by its path like a serial port.
#pragma once

#include <string>

namespace qmsim {

class Pty {
 public:
  // Opens a pair, puts the terminal end in raw mode (no echo, no line editing, 8 bits) and
  // keeps one descriptor of it open for the pair's life, so that the master never sees a hang-up
  // while the program closes and reopens its port. The master is non-blocking.
  // Throws std::system_error on failure.
  Pty();
  ~Pty();
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  int MasterFd() const { return master_; }
  // The pair's own descriptor of the terminal end (for looking at its input queue).
  int SlaveFd() const { return slaveKeep_; }
  const std::string& SlavePath() const { return slavePath_; }

  // Closes the master: the terminal end sees a hang-up. Idempotent.
  void CloseMaster();

  // Keeps a symbolic link at `path` pointing to the terminal end. An existing symbolic link there
  // is replaced; any other file is left alone and the call throws std::system_error. The link is
  // removed by the destructor if it still points to this pair.
  void LinkAt(const std::string& path);

 private:
  int master_ = -1;
  int slaveKeep_ = -1;
  std::string slavePath_;
  std::string linkPath_;
};

}  // namespace qmsim
