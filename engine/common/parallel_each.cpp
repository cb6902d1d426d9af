#include "parallel_each.h"

#include <atomic>
#include <thread>
#include <vector>

namespace lrx {

void ForEachOnThreads(std::size_t count, unsigned jobs,
                      const std::function<void(std::size_t)>& work,
                      const std::function<bool()>& stop) {
    std::atomic<std::size_t> next{0};
    auto run = [&] {
        for (std::size_t i; !(stop && stop()) && (i = next++) < count;) work(i);
    };
    std::vector<std::thread> workers;
    for (unsigned j = 1; j < jobs && j < count; ++j) workers.emplace_back(run);
    run();
    for (std::thread& worker : workers) worker.join();
}

}  // namespace lrx
