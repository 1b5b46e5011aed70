#pragma once

// Answers to a slow question about many items (is this file there?), worked
// out by worker threads ahead of the caller, who takes them as it goes.
// Questions that wait on the disk then wait together instead of one after
// the other. The question runs on the workers: it may read only what it
// holds itself, never the program's windows or its database.

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace fw {

class LookAhead {
public:
    LookAhead(int count, std::function<bool(int index)> question);
    // Questions not yet begun are dropped; the ones being answered are waited for.
    ~LookAhead();
    LookAhead(const LookAhead&) = delete;
    LookAhead& operator=(const LookAhead&) = delete;

    // The answer for item `index` (0 to count - 1): waits for it when a
    // worker is at it, and works it out here when none has begun it.
    bool answer(int index);

private:
    enum State : unsigned char { Open, Taken, Yes, No };
    void work();
    // Works out the answer when the item is still open; false when another has taken it.
    bool tryAnswer(int index);

    const std::function<bool(int)> m_question;
    const int m_count;
    std::unique_ptr<std::atomic<unsigned char>[]> m_states;
    std::atomic<int> m_next{0};
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_workers;
};

} // namespace fw
