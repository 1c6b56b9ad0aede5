#include "support/running_process.h"

#ifndef _WIN32
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace valdor::test {

namespace fs = std::filesystem;

#ifndef _WIN32

RunningProcess::RunningProcess(const fs::path& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  // glibc's posix_spawn returns once the program runs, so /proc shows it at once.
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0) m_pid = pid;
}

void RunningProcess::stop() {
  if (m_pid <= 0) return;
  kill(m_pid, SIGKILL);
  waitpid(m_pid, nullptr, 0);
  m_pid = -1;
}

#else

RunningProcess::RunningProcess(const fs::path&, const std::vector<std::string>&) {}
void RunningProcess::stop() {}

#endif

RunningProcess::~RunningProcess() { stop(); }

void copyWaitingProgram(const fs::path& target) {
  fs::create_directories(target.parent_path());
  fs::copy_file("/bin/sleep", target, fs::copy_options::overwrite_existing);
  fs::permissions(target, fs::perms::owner_all, fs::perm_options::add);
}

}  // namespace valdor::test
