#include "support/running_process.h"

#ifndef _WIN32
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#endif

namespace valdor::test {

namespace fs = std::filesystem;

#ifndef _WIN32

RunningProcess::RunningProcess(const fs::path& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return;
  m_pid = pid;
  // posix_spawn returns as the new program replaces the child, a moment
  // before the kernel has set up its arguments: until then /proc shows an
  // empty command line. Wait for it, or a loaded machine fails the tests.
  const fs::path commandLine = fs::path("/proc") / std::to_string(pid) / "cmdline";
  for (int tries = 0; tries < 2000; ++tries) {
    std::ifstream in(commandLine, std::ios::binary);
    if (in.get() != std::char_traits<char>::eof()) return;
    usleep(1000);
  }
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
