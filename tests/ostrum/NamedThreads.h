#ifndef OSTRUM_TEST_NAMED_THREADS_H
#define OSTRUM_TEST_NAMED_THREADS_H

// Threads of the test process with a given name, parked until the object
// goes, so thread-set code can be tested against the running kernel.

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class NamedThreads {
public:
    NamedThreads(int count, const std::string& name) { Add(count, name); }
    ~NamedThreads()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        for (std::thread& t : m_threads) {
            t.join();
        }
    }
    NamedThreads(const NamedThreads&) = delete;
    NamedThreads& operator=(const NamedThreads&) = delete;

    // Starts count more threads and returns once they all carry the name.
    void Add(int count, const std::string& name)
    {
        for (int i = 0; i < count; ++i) {
            std::atomic<int> tid{0};
            m_threads.emplace_back([this, &tid, name]() {
                pthread_setname_np(pthread_self(), name.c_str());
                tid = static_cast<int>(syscall(SYS_gettid));
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this]() { return m_stop; });
            });
            while (tid.load() == 0) {
                std::this_thread::yield();
            }
            m_tids.push_back(tid.load());
        }
    }
    const std::vector<int>& Tids() const { return m_tids; }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
    std::vector<int> m_tids;
};

#endif
