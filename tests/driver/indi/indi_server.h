#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

// An `indiserver` running `indi_simulator_ccd` on a free local port, for
// tests. Stopped when the object goes, and killed with the test program
// should that die first.
class IndiServer {
  public:
    static constexpr const char *CAMERA = "CCD Simulator";

    // False when indiserver is not installed here.
    static bool Installed() {
        return std::system(
                   "command -v indiserver >/dev/null 2>&1 && "
                   "command -v indi_simulator_ccd >/dev/null 2>&1") == 0;
    }

    IndiServer() : port_(FreePort()) {}
    ~IndiServer() { Kill(); }
    IndiServer(const IndiServer &) = delete;
    IndiServer &operator=(const IndiServer &) = delete;

    int Port() const { return port_; }

    // Starts the server and waits until it takes connections; false when it
    // does not within `timeout`.
    bool Start(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        Kill();
        const std::string log = (std::filesystem::temp_directory_path() /
                                 ("omtrix-indiserver-" + std::to_string(port_) + ".log"))
                                    .string();
        const std::string port = std::to_string(port_);
        // Its local socket is one name per machine by default: servers of
        // tests running side by side each need their own.
        const std::string local_socket = "/tmp/omtrix-indiserver-" + port;
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ == 0) {
            // Only async-signal-safe calls between fork and exec: the test
            // program has threads. Dies with the test program; the server's
            // driver shares its process group and goes with it.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) {
                _exit(127);
            }
            setpgid(0, 0);
            const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (log_fd >= 0) {
                dup2(log_fd, STDOUT_FILENO);
                dup2(log_fd, STDERR_FILENO);
            }
            execlp("indiserver", "indiserver", "-p", port.c_str(), "-u", local_socket.c_str(),
                   "indi_simulator_ccd", static_cast<char *>(nullptr));
            _exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (Answers()) {
                // Without the GSC star catalogue (not in Debian) the
                // simulator draws no stars, and its default sky is nearly
                // black at 16 bits: a brighter sky and stronger noise give
                // pictures that change from frame to frame.
                // The driver may define its properties a while after the
                // server answers.
                if (SetProperty("SIMULATOR_SETTINGS.SIM_SKYGLOW", "12") &&
                    SetProperty("SIMULATOR_SETTINGS.SIM_NOISE", "5000")) {
                    return true;
                }
            }
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Ends the server and its driver at once, as a crash or a pulled cable would.
    void Kill() {
        if (pid_ <= 0) {
            return;
        }
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    // One value of the camera's properties as the server reports it now,
    // read with INDI's own command-line client; empty when none comes.
    std::string Property(const std::string &name) const {
        const std::string command = "indi_getprop -p " + std::to_string(port_) + " -t 2 '" +
                                    CAMERA + "." + name + "' 2>/dev/null";
        std::string text;
        if (FILE *pipe = popen(command.c_str(), "r")) {
            char line[512];
            while (std::fgets(line, sizeof line, pipe) != nullptr) {
                text += line;
            }
            pclose(pipe);
        }
        const size_t equals = text.find('=');
        if (equals == std::string::npos) {
            return "";
        }
        text = text.substr(equals + 1);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
            text.pop_back();
        }
        return text;
    }

    // Sets one element of a camera property with INDI's own command-line client.
    bool SetProperty(const std::string &name, const std::string &value) const {
        const std::string command = "indi_setprop -p " + std::to_string(port_) + " -t 5 '" +
                                    CAMERA + "." + name + "=" + value + "' 2>/dev/null";
        return std::system(command.c_str()) == 0;
    }

  private:
    static int FreePort() {
        const int socket_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof address;
        int port = 0;
        if (bind(socket_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
            getsockname(socket_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
            port = ntohs(address.sin_port);
        }
        close(socket_fd);
        return port;
    }

    bool Answers() const {
        const int socket_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port_));
        const bool answered =
            connect(socket_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        close(socket_fd);
        return answered;
    }

    int port_;
    pid_t pid_ = -1;
};
