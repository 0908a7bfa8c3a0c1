#ifndef QUENCHBOX_TESTS_APP_APPPROCESSES_H
#define QUENCHBOX_TESTS_APP_APPPROCESSES_H

// The processes the application's tests and its soak run: the application
// itself and jackd, each a child whose output can be read line by line.

#include <jack/jack.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quenchbox::apptest {

constexpr unsigned kRate = 48000;
constexpr unsigned kPeriod = 128;

// Waits for `done` with a deadline no loaded machine comes near; false only
// when it never holds.
inline bool waitFor(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A program of the test's, its standard output read line by line.
class Child {
public:
    explicit Child(const std::vector<std::string>& arguments, bool readOutput = true)
    {
        int pipeEnds[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (readOutput && pipe(pipeEnds) == 0) {
            posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
            posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        } else {
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        }
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (pipeEnds[1] >= 0)
            close(pipeEnds[1]);
        if (pipeEnds[0] >= 0)
            output = fdopen(pipeEnds[0], "r");
    }
    ~Child()
    {
        stop(SIGKILL);
        if (output != nullptr)
            fclose(output);
    }

    bool running() const { return pid > 0; }
    // The next line of its output, empty at its end.
    std::string line()
    {
        char text[512] = {};
        return output != nullptr && std::fgets(text, sizeof(text), output) != nullptr ? text : "";
    }
    // The next piece of its output up to a line or carriage return.
    std::string piece()
    {
        std::string text;
        for (int c = output != nullptr ? std::fgetc(output) : EOF; c != EOF; c = std::fgetc(output)) {
            if (c == '\n' || c == '\r') {
                if (!text.empty())
                    return text;
                continue;
            }
            text += static_cast<char>(c);
        }
        return text;
    }
    // Signals it and answers its exit status (-1 when it was killed or gone).
    int stop(int signal)
    {
        if (pid <= 0)
            return -1;
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid = -1;
    FILE* output = nullptr;
};

inline jack_client_t* openClient(const std::string& server, const char* name)
{
    jack_status_t status{};
    return jack_client_open(name, static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
                            server.c_str());
}

// A jackd of the test's own, with the dummy back-end at 48 kHz and 128
// frames, in synchronous mode: each period waits for every client, so a
// loaded machine makes it slower but never skips a client's period.
class JackServer {
public:
    JackServer() : JackServer(kPeriod, {"-r", "-S"}) {}
    // A server as a musician runs one: real-time scheduling (where the
    // system allows it), periods that do not wait for a late client.
    static std::unique_ptr<JackServer> realTime(unsigned period)
    {
        return std::unique_ptr<JackServer>(new JackServer(period, {"-R"}));
    }
    ~JackServer() { process.stop(SIGTERM); }

    // The server answers a client. Until it does libjack would print a
    // complaint for every try.
    bool ready() const
    {
        jack_set_error_function([](const char*) {});
        return process.running() && waitFor([&] {
                   jack_client_t* probe = openClient(name, "quenchbox-probe");
                   if (probe != nullptr)
                       jack_client_close(probe);
                   return probe != nullptr;
               });
    }

    const std::string name;

private:
    JackServer(unsigned period, const std::vector<std::string>& modes)
        : name("quenchbox-test-" + std::to_string(getpid())), process(command(name, period, modes), false)
    {
    }
    static std::vector<std::string> command(const std::string& name, unsigned period,
                                            const std::vector<std::string>& modes)
    {
        std::vector<std::string> line{"/usr/bin/jackd", "-n", name};
        line.insert(line.end(), modes.begin(), modes.end());
        for (const std::string& driver : {std::string("-d"), std::string("dummy"), std::string("-r"),
                                          std::to_string(kRate), std::string("-p"), std::to_string(period)})
            line.push_back(driver);
        return line;
    }

    mutable Child process;
};


}  // namespace quenchbox::apptest

#endif
