#include "process.h"

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kivtest {

namespace {

struct Pipe {
  int fd[2] = {-1, -1};
  Pipe() {
    if (pipe(fd) != 0) throw std::runtime_error("pipe failed");
  }
  ~Pipe() { closeAll(); }
  void close(int i) {
    if (fd[i] >= 0) ::close(fd[i]);
    fd[i] = -1;
  }
  void closeAll() {
    close(0);
    close(1);
  }
};

std::vector<std::string> childEnvironment(const RunOptions& options) {
  std::map<std::string, std::string> vars;
  if (!options.clearEnv) {
    for (char** e = environ; *e; ++e) {
      const char* eq = std::strchr(*e, '=');
      if (eq) vars[std::string(*e, static_cast<size_t>(eq - *e))] = eq + 1;
    }
  }
  for (const auto& [name, value] : options.env) {
    if (value)
      vars[name] = *value;
    else
      vars.erase(name);
  }
  std::vector<std::string> out;
  for (const auto& [name, value] : vars) out.push_back(name + "=" + value);
  return out;
}

}  // namespace

RunResult run(const std::vector<std::string>& argv, const RunOptions& options) {
  std::vector<std::string> envStrings = childEnvironment(options);
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> args(argv);
  std::vector<char*> argp;
  for (auto& s : args) argp.push_back(s.data());
  argp.push_back(nullptr);

  Pipe out, err, in;
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(out.fd[1], 1);
    dup2(err.fd[1], 2);
    if (options.input) {
      dup2(in.fd[0], 0);
    } else {
      int devnull = open("/dev/null", O_RDONLY);
      dup2(devnull, 0);
    }
    for (int fd = 3; fd < 1024; ++fd) close(fd);
    if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(126);
    execve(argp[0], argp.data(), envp.data());
    _exit(127);
  }
  out.close(1);
  err.close(1);
  in.close(0);
  // The input goes in as the child takes it, between reads of its output, so
  // that neither side waits for the other.
  const std::string text = options.input.value_or("");
  size_t done = 0;
  if (options.input) {
    signal(SIGPIPE, SIG_IGN);
    fcntl(in.fd[1], F_SETFL, fcntl(in.fd[1], F_GETFL) | O_NONBLOCK);
  }
  if (text.empty()) in.close(1);

  RunResult result;
  pollfd fds[3] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}, {in.fd[1], POLLOUT, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  char buf[65536];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
  while (open > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      result.err += "\n[kivtest::run: killed after " + std::to_string(options.timeoutSeconds) + " s]\n";
      break;
    }
    fds[2].fd = in.fd[1];
    int ready = poll(fds, 3, static_cast<int>(left.count()));
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[2].fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t n = write(in.fd[1], text.data() + done, text.size() - done);
      if (n > 0) done += static_cast<size_t>(n);
      if ((n < 0 && errno != EAGAIN && errno != EINTR) || done == text.size()) in.close(1);
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<size_t>(n));
      } else {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status))
    result.exitCode = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    result.exitCode = 128 + WTERMSIG(status);
  return result;
}

std::string makeTempDir(const std::string& tag) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/kiv-" + tag + "-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  return buf.data();
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::vector<std::string> listDir(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

}  // namespace kivtest
