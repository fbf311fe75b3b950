// servolt-cli serve as a browser meets it, beside nginx serving the same
// bytes as a static file:
//   pages   GET of the Basic page's data (/api/i/default/pages), 1,000 times
//           on one kept-alive connection: p50 and p99
//   save    POST /api/i/default/save of one value, 1,000 times: p50 and p99
//   nginx   GET of the pages answer's bytes as a file, likewise
//   memory  serve's resident memory idle, and with 100 more connections open
// Prints figures; judges nothing, and says so when something is missing.
//
//     serve_bench [SERVOLT_CLI]     the program to time (default: the build's)
//     BENCH_REQUESTS=N              requests per figure (1,000 by default)
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const int kRequests = std::getenv("BENCH_REQUESTS") ? std::atoi(std::getenv("BENCH_REQUESTS")) : 1000;

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A child process in its own process group, its output in files.
pid_t Start(const std::vector<std::string>& args, const fs::path& out, const fs::path& err,
            const std::vector<std::pair<std::string, std::string>>& environment) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    setpgid(0, 0);
    for (const auto& variable : environment) setenv(variable.first.c_str(), variable.second.c_str(), 1);
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(o, 1);
    dup2(e, 2);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
}

int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// One kept-alive HTTP/1.1 connection.
class Client {
public:
    explicit Client(int port) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<unsigned short>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd_);
            fd_ = -1;
        }
        int one = 1;
        if (fd_ >= 0) setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    ~Client() {
        if (fd_ >= 0) close(fd_);
    }
    bool Open() const { return fd_ >= 0; }

    // The status, 0 when the exchange failed; the body in `body`.
    int Ask(const std::string& request, std::string& body) {
        if (fd_ < 0 || send(fd_, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
            return 0;
        std::string::size_type end;
        while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
            if (!Fill()) return 0;
        }
        const std::string head = buffer_.substr(0, end);
        std::size_t length = 0;
        for (const char* name : {"\r\nContent-Length: ", "\r\ncontent-length: "}) {
            const std::string::size_type at = head.find(name);
            if (at != std::string::npos) length = std::strtoul(head.c_str() + at + std::strlen(name), nullptr, 10);
        }
        while (buffer_.size() < end + 4 + length) {
            if (!Fill()) return 0;
        }
        body = buffer_.substr(end + 4, length);
        buffer_.erase(0, end + 4 + length);
        return head.size() > 12 ? std::atoi(head.c_str() + 9) : 0;
    }

private:
    bool Fill() {
        char chunk[65536];
        const ssize_t got = recv(fd_, chunk, sizeof chunk, 0);
        if (got <= 0) return false;
        buffer_.append(chunk, static_cast<std::size_t>(got));
        return true;
    }
    int fd_ = -1;
    std::string buffer_;
};

// p50 and p99 of `count` runs of `ask` on one connection, in microseconds;
// false when an answer was not `expected`.
bool Measure(const char* what, int port, const std::string& request, int expected) {
    Client client(port);
    std::vector<double> times;
    std::string body;
    int status = 0;
    for (int i = 0; i < kRequests; ++i) {
        const auto start = std::chrono::steady_clock::now();
        status = client.Ask(request, body);
        const auto stop = std::chrono::steady_clock::now();
        if (status != expected) {
            std::printf("%-28s not measured: answered %d (%s)\n", what, status, body.substr(0, 120).c_str());
            return false;
        }
        times.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%-28s p50 %8.1f us   p99 %8.1f us   (%d requests, %zu bytes each)\n", what,
                times[times.size() / 2], times[times.size() * 99 / 100], kRequests, body.size());
    return true;
}

long ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmRSS:") == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cli = argc > 1 ? argv[1] : SERVOLT_CLI_PATH;
    std::error_code probe;
    const fs::path base = fs::is_directory("/dev/shm", probe) ? fs::path("/dev/shm") : fs::temp_directory_path();
    const fs::path root = base / ("servolt-serve-bench-" + std::to_string(getpid()));
    fs::create_directories(root / "home");
    fs::create_directories(root / "game");
    WriteText(root / "Servolt.ini", "[Server]\r\nServerName=Bench\r\nMaxPlayers=16\r\n");
    WriteText(root / "instances.ini",
              "[default]\r\nGame=" + (root / "game").string() + "\r\nIni=" + (root / "Servolt.ini").string() + "\r\n");

    const pid_t serve = Start({cli, "serve", "--listen", "127.0.0.1:0", "--instances", (root / "instances.ini").string(),
                               "--token-file", (root / "serve.token").string()},
                              root / "serve.out", root / "serve.err", {{"HOME", (root / "home").string()}});
    std::string first;
    for (int i = 0; i < 200 && first.find('\n') == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        first = ReadText(root / "serve.out");
    }
    const std::string::size_type colon = first.find("127.0.0.1:");
    const std::string::size_type token = first.find("token=");
    if (colon == std::string::npos || token == std::string::npos) {
        std::printf("serve did not start: %s\n", ReadText(root / "serve.err").c_str());
        Stop(serve);
        fs::remove_all(root, probe);
        return 0;
    }
    const int port = std::atoi(first.c_str() + colon + 10);
    const std::string secret = first.substr(token + 6, 64);
    const std::string host = "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
    const std::string bearer = "Authorization: Bearer " + secret + "\r\n";

    std::printf("servolt-cli serve on 127.0.0.1:%d\n", port);
    const std::string pages = "GET /api/i/default/pages HTTP/1.1\r\n" + host + bearer + "\r\n";
    Measure("serve: Basic page's data", port, pages, 200);
    const std::string values = R"({"values":{"ServerName":"Bench"}})";
    Measure("serve: save round trip", port,
            "POST /api/i/default/save HTTP/1.1\r\n" + host + bearer + "Content-Type: application/json\r\n" +
                "Content-Length: " + std::to_string(values.size()) + "\r\n\r\n" + values,
            200);
    Measure("serve: a page file", port, "GET /login.html HTTP/1.1\r\n" + host + "\r\n", 200);

    // The same bytes from nginx, as a static file.
    std::string body;
    {
        Client client(port);
        client.Ask(pages, body);
    }
    const fs::path www = root / "nginx" / "www";
    fs::create_directories(www);
    WriteText(www / "pages.json", body);
    const int nginxPort = FreePort();
    WriteText(root / "nginx" / "nginx.conf",
              std::string(geteuid() == 0 ? "user root;\n" : "") + "worker_processes 1;\ndaemon off;\npid " +
                  (root / "nginx" / "nginx.pid").string() + ";\nerror_log " + (root / "nginx" / "error.log").string() +
                  ";\nevents { worker_connections 1024; }\nhttp {\n  access_log off;\n  client_body_temp_path " +
                  (root / "nginx").string() + ";\n  proxy_temp_path " + (root / "nginx").string() +
                  ";\n  fastcgi_temp_path " + (root / "nginx").string() + ";\n  uwsgi_temp_path " +
                  (root / "nginx").string() + ";\n  scgi_temp_path " + (root / "nginx").string() +
                  ";\n  server {\n    listen 127.0.0.1:" + std::to_string(nginxPort) + ";\n    root " + www.string() +
                  ";\n  }\n}\n");
    const char* nginxProgram = fs::exists("/usr/sbin/nginx", probe) ? "/usr/sbin/nginx" : "nginx";
    const pid_t nginx = Start({nginxProgram, "-p", (root / "nginx").string(), "-e", (root / "nginx" / "error.log").string(),
                               "-c", (root / "nginx" / "nginx.conf").string()},
                              root / "nginx" / "out", root / "nginx" / "err", {});
    bool nginxUp = false;
    for (int i = 0; i < 100 && !nginxUp; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        nginxUp = Client(nginxPort).Open();
    }
    if (nginxUp) {
        Measure("nginx: the same bytes", nginxPort,
                "GET /pages.json HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(nginxPort) + "\r\n\r\n", 200);
    } else {
        std::printf("nginx: not measured (%s)\n", ReadText(root / "nginx" / "err").c_str());
    }
    Stop(nginx);

    std::printf("serve: resident memory idle             %6ld KB\n", ResidentKb(serve));
    {
        std::vector<std::unique_ptr<Client>> open;
        for (int i = 0; i < 100; ++i) {
            open.push_back(std::make_unique<Client>(port));
            std::string answer;
            open.back()->Ask("GET /login.html HTTP/1.1\r\n" + host + "\r\n", answer);
        }
        std::printf("serve: resident memory, 100 connections %6ld KB\n", ResidentKb(serve));
    }
    Stop(serve);
    fs::remove_all(root, probe);
    return 0;
}
