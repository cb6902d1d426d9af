// One piece of work for each of a list's items, spread over threads.
#pragma once

#include <cstddef>
#include <functional>

namespace lrx {

// Calls work(i) once for each i below count, on up to jobs threads, this one
// among them; returns when all calls have. Once stop() is true no further
// item is begun (items not begun are not called).
void ForEachOnThreads(std::size_t count, unsigned jobs,
                      const std::function<void(std::size_t)>& work,
                      const std::function<bool()>& stop = {});

}  // namespace lrx
