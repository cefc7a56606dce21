// Closed-loop load over loopback as the suite's peers send it: one request per connection, a
// fixed number of connections at once, a fixed number of requests in all. Prints one line:
//   requests N failed F seconds S rate R p50_ms P p99_ms Q max_ms M
// A request fails when it cannot be sent or its answer is not a whole "200" with its body.
//   bench_load_client PORT CONNECTIONS REQUESTS COMMAND BODY_FILE
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

bool sendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Reads until the announced body is whole; true for a complete 200 answer.
bool readAnswer(int fd) {
    std::string in;
    char buffer[16384];
    size_t headEnd = std::string::npos;
    size_t wanted = 0;
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return false;
        }
        in.append(buffer, static_cast<size_t>(n));
        if (headEnd == std::string::npos) {
            headEnd = in.find("\r\n\r\n");
            if (headEnd == std::string::npos) {
                continue;
            }
            const size_t at = in.find("Content-Length:");
            if (in.compare(0, 13, "HTTP/1.1 200 ") != 0 || at == std::string::npos ||
                at > headEnd) {
                return false;
            }
            wanted = headEnd + 4 + std::strtoul(in.c_str() + at + 15, nullptr, 10);
        }
        if (in.size() >= wanted) {
            return true;
        }
    }
}

bool exchange(const sockaddr_in& address, const std::string& request) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    const bool ok =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        sendAll(fd, request) && readAnswer(fd);
    ::close(fd);
    return ok;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s PORT CONNECTIONS REQUESTS COMMAND BODY_FILE\n", argv[0]);
        return 2;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(std::atoi(argv[1])));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int connections = std::max(1, std::atoi(argv[2]));
    const long total = std::max(1L, std::atol(argv[3]));
    std::ifstream file(argv[5], std::ios::binary);
    const std::string body{std::istreambuf_iterator<char>(file), {}};
    const std::string request = std::string("GET ") + argv[4] +
                                " HTTP/1.1\r\nContent-Length:" + std::to_string(body.size()) +
                                "\r\n\r\n" + body;

    std::atomic<long> next{0};
    std::atomic<long> failed{0};
    std::vector<std::vector<double>> latencies(static_cast<size_t>(connections));
    std::vector<std::thread> threads;
    const Clock::time_point start = Clock::now();
    for (int c = 0; c < connections; ++c) {
        threads.emplace_back([&, c] {
            std::vector<double>& mine = latencies[static_cast<size_t>(c)];
            while (next.fetch_add(1) < total) {
                const Clock::time_point sent = Clock::now();
                if (!exchange(address, request)) {
                    ++failed;
                }
                mine.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<double> all;
    for (const auto& some : latencies) {
        all.insert(all.end(), some.begin(), some.end());
    }
    std::sort(all.begin(), all.end());
    const auto at = [&](double q) {
        return all[std::min(all.size() - 1, size_t(q * all.size()))];
    };
    std::printf(
        "requests %zu failed %ld seconds %.2f rate %.0f p50_ms %.3f p99_ms %.3f max_ms %.3f\n",
        all.size(), failed.load(), seconds, double(all.size()) / seconds, at(0.50), at(0.99),
        all.back());
    return 0;
}
