#include "framework/LookAhead.h"

#include <algorithm>
#include <system_error>

namespace fw {

namespace {
// Enough lookups in flight for a disk to serve them together; a few items
// each at the least, or the threads would cost more than they save.
constexpr int maxWorkers = 16;
constexpr int itemsPerWorker = 64;
} // namespace

LookAhead::LookAhead(int count, std::function<bool(int index)> question)
    : m_question(std::move(question))
    , m_count(std::max(count, 0))
    , m_states(new std::atomic<unsigned char>[size_t(m_count)])
{
    for (int i = 0; i < m_count; ++i)
        m_states[size_t(i)].store(Open, std::memory_order_relaxed);
    const int workers = std::min(maxWorkers, m_count / itemsPerWorker);
    try {
        for (int w = 0; w < workers; ++w)
            m_workers.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
        // Fewer workers (or none): the caller works out what they leave.
    }
}

LookAhead::~LookAhead()
{
    m_stop.store(true);
    for (std::thread& worker : m_workers)
        worker.join();
}

void LookAhead::work()
{
    while (!m_stop.load(std::memory_order_relaxed)) {
        const int index = m_next.fetch_add(1);
        if (index >= m_count)
            return;
        tryAnswer(index);
    }
}

bool LookAhead::tryAnswer(int index)
{
    std::atomic<unsigned char>& state = m_states[size_t(index)];
    unsigned char open = Open;
    if (!state.compare_exchange_strong(open, Taken))
        return false;
    state.store(m_question(index) ? Yes : No);
    state.notify_all();
    return true;
}

bool LookAhead::answer(int index)
{
    if (index < 0 || index >= m_count)
        return false;
    std::atomic<unsigned char>& state = m_states[size_t(index)];
    tryAnswer(index);
    unsigned char now = state.load();
    while (now == Taken) {
        state.wait(Taken);
        now = state.load();
    }
    return now == Yes;
}

} // namespace fw
