// Requests per second and latency of GET /chart/CODE.png under a bounded
// loopback load: `sivarta-data serve` (from beside this program) on
// 127.0.0.1, 16 clients with keep-alive, a fixed number of requests, once with
// the picture cache off and once on. Prints numbers; never fails on time.
//   chart_route_bench [REQUESTS] [WIDTHxHEIGHT]
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "data/sample_day.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

extern char** environ;

namespace {

constexpr int kClients = 16;

void WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct Server {
    pid_t pid = -1;
    int port = 0;
    ~Server() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
};

// Starts the server on a free port, its output in `log`, and waits for its ready line.
bool Start(Server& server, const fs::path& tool, const fs::path& root, const fs::path& log, const char* cacheMiB) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string toolText = tool.string(), rootText = root.string();
    std::vector<char*> argv = {
        const_cast<char*>(toolText.c_str()), const_cast<char*>("serve"),  const_cast<char*>("--root"),
        const_cast<char*>(rootText.c_str()), const_cast<char*>("--port"), const_cast<char*>("0"),
        const_cast<char*>("--chart-cache"),  const_cast<char*>(cacheMiB), nullptr};
    const int rc = posix_spawn(&server.pid, toolText.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    const std::string ready = " on http://127.0.0.1:";
    for (int i = 0; i < 100; ++i) {
        std::ifstream in(log);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("serving ", 0) == 0 && line.find(ready) != std::string::npos) {
                server.port = std::atoi(line.c_str() + line.find(ready) + ready.size());
                return true;
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void Load(int port, const std::string& path, int requests, const char* label) {
    std::vector<double> latencies(static_cast<size_t>(requests));
    std::atomic<int> next{0}, failed{0};
    const auto start = Clock::now();
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c)
        clients.emplace_back([&] {
            httplib::Client client("127.0.0.1", port);
            client.set_keep_alive(true);
            for (int i = next++; i < requests; i = next++) {
                const auto t0 = Clock::now();
                const auto res = client.Get(path.c_str());
                latencies[static_cast<size_t>(i)] =
                    std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
                if (!res || res->status != 200) ++failed;
            }
        });
    for (std::thread& t : clients) t.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies[std::min(latencies.size() - 1, static_cast<size_t>(q * latencies.size()))];
    };
    std::printf("%-10s %d requests, %d clients: %7.0f req/s, p50 %.2f ms, p99 %.2f ms, max %.2f ms, %d failed\n", label,
                requests, kClients, requests / seconds, at(0.50), at(0.99), latencies.back(), failed.load());
}

}   // namespace

int main(int argc, char** argv) {
    const int requests = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    const std::string size = argc > 2 ? argv[2] : "228x190";
    const size_t x = size.find('x');
    const std::string path = "/chart/005930.png?w=" + size.substr(0, x) + "&h=" + size.substr(x + 1);
    const fs::path tool = fs::canonical("/proc/self/exe").parent_path() / "sivarta-data";
    const fs::path root = fs::temp_directory_path() / ("chart_route_bench." + std::to_string(getpid()));
    SampleRequest request;
    request.code = "005930";
    request.date = 20240105;
    const DayFiles day = MakeSampleDay(request);
    WriteBytes(root / "sisefile" / "info" / "005930.dat", InfoBytes(day.info));
    WriteBytes(root / "sisefile" / "Date" / "005930.dat", TickBytes(day.ticks));

    std::printf("GET %s on 127.0.0.1, %u hardware threads\n", path.c_str(), std::thread::hardware_concurrency());
    for (const auto& [cache, label] : {std::pair{"0", "cache off"}, {"64", "cache on"}}) {
        Server server;
        if (!Start(server, tool, root, root / "serve.log", cache)) {
            std::fprintf(stderr, "chart_route_bench: %s did not start\n", tool.c_str());
            return 1;
        }
        Load(server.port, path, std::min(requests, 200), "(warm-up)");
        Load(server.port, path, requests, label);
    }
    fs::remove_all(root);
}
