#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace valdor::test {

// A process started from `program` with the given arguments (the first is
// what it shows as its name), ended and reaped with the object. Not on Windows.
class RunningProcess {
 public:
  RunningProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments);
  ~RunningProcess();
  RunningProcess(const RunningProcess&) = delete;
  RunningProcess& operator=(const RunningProcess&) = delete;

  bool started() const { return m_pid > 0; }
  // Ends it now; the process list no longer shows it afterwards.
  void stop();

 private:
  int m_pid = -1;
};

// A copy of a harmless program that just waits (sleep) at `target`, executable.
void copyWaitingProgram(const std::filesystem::path& target);

}  // namespace valdor::test
