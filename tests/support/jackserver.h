#pragma once
// A JACK server of the test's own: the dummy backend (no sound card), under
// a server name no other run shares, which every JACK client of this
// process then talks to (JACK_DEFAULT_SERVER). Started() is false where
// jackd is missing or does not come up; the test then skips, saying so.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class cJackServer {
 public:
  explicit cJackServer(int rate = 48000) {
    name = "murvelon-test-" + std::to_string(::getpid());
    ::setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    ::setenv("JACK_NO_START_SERVER", "1", 1);
    const std::string rateText = std::to_string(rate);
    const char* argv[] = {"jackd", "-n",    name.c_str(), "--no-realtime",
                          "-d",    "dummy", "-r",         rateText.c_str(),
                          "-p",    "256",   nullptr};
    const pid_t parent = ::getpid();
    pid = ::fork();
    if (pid == 0) {
      // The server ends with the test, also with one that aborts.
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != parent) ::_exit(1);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::execvp("jackd", const_cast<char**>(argv));
      ::_exit(127);
    }
    if (pid < 0) {
      pid = 0;
      return;
    }
    // jack_wait (jackd2's own tool) returns once a client can connect.
    started = std::system("jack_wait -w -t 10 >/dev/null 2>&1") == 0;
  }
  ~cJackServer() { Stop(); }
  cJackServer(const cJackServer&) = delete;
  cJackServer& operator=(const cJackServer&) = delete;

  bool Started() const { return started; }
  const std::string& Name() const { return name; }

  void Stop() {
    if (pid > 0) {
      ::kill(pid, SIGTERM);
      int status = 0;
      ::waitpid(pid, &status, 0);
    }
    pid = 0;
    started = false;
  }

 private:
  std::string name;
  pid_t pid = 0;
  bool started = false;
};

#define SKIP_WITHOUT_JACK(server) \
  if (!(server).Started())        \
  GTEST_SKIP() << "no JACK server could be started here (jackd -d dummy, Debian's jackd2)"
