// The ceiling of a thread-per-connection design: accept, read head and body, answer the same
// empty envelope as the service, wait for the peer to close. Usage: bench_http_bare_server PORT
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

static void serve(int fd) {
    std::string in;
    char buf[4096];
    size_t head = std::string::npos;
    ssize_t n = 0;
    while ((head = in.find("\r\n\r\n")) == std::string::npos && (n = read(fd, buf, sizeof buf)) > 0)
        in.append(buf, n);
    size_t at = in.find("Content-Length:");
    size_t length = at == std::string::npos ? 0 : std::strtoul(in.c_str() + at + 15, nullptr, 10);
    while (head != std::string::npos && in.size() < head + 4 + length &&
           (n = read(fd, buf, sizeof buf)) > 0)
        in.append(buf, n);
    static const std::string body = [] {
        std::string
            text = "<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"no\" ?><VXNResponse/>",
            out;
        for (char c : text)
            out += {c, '\0'};
        return out;
    }();
    std::string answer = "HTTP/1.1 200 OK\r\nContent-Length:" + std::to_string(body.size()) +
                         "\r\nConnection:close\r\n\r\n" + body;
    if (write(fd, answer.data(), answer.size()) > 0)
        while (read(fd, buf, sizeof buf) > 0) {
        }
    close(fd);
}

int main(int argc, char* argv[]) {
    int server = socket(AF_INET, SOCK_STREAM, 0), on = 1;
    setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(argc > 1 ? std::atoi(argv[1]) : 0);
    if (bind(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(server, 1024) != 0)
        return 1;
    for (int fd; (fd = accept(server, nullptr, nullptr)) >= 0;)
        std::thread(serve, fd).detach();
}
