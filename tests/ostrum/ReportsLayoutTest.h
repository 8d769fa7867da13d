#ifndef OSTRUM_TEST_REPORTS_LAYOUT_TEST_H
#define OSTRUM_TEST_REPORTS_LAYOUT_TEST_H

// Helpers for the tests of the ratio, locality, prefetch and L3/DDR reports:
// reading the cells of one report row, and a crowd of idle threads that
// turns this test process into one whose counters must follow threads on any
// CPU (more than 128 threads).

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace reports_test {

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

inline std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The cells after the label of the line that starts with `label`, split at
// "|" and trimmed; empty when no line starts with it.
inline std::vector<std::string> RowCells(const std::string& report, const std::string& label)
{
    for (const std::string& line : Lines(report)) {
        if (line.compare(0, label.size(), label) == 0) {
            std::vector<std::string> cells;
            std::string rest = line.substr(label.size());
            size_t start = 0;
            for (size_t bar = rest.find('|'); bar != std::string::npos; bar = rest.find('|', start)) {
                cells.push_back(Trim(rest.substr(start, bar - start)));
                start = bar + 1;
            }
            cells.push_back(Trim(rest.substr(start)));
            return cells;
        }
    }
    return {};
}

// Idle threads, parked until the object goes.
class ThreadCrowd {
public:
    explicit ThreadCrowd(int count)
    {
        for (int i = 0; i < count; ++i) {
            m_threads.emplace_back([this] {
                std::unique_lock<std::mutex> lock(m_lock);
                m_wake.wait(lock, [this] { return m_done; });
            });
        }
    }
    ~ThreadCrowd()
    {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_done = true;
        }
        m_wake.notify_all();
        for (std::thread& thread : m_threads) {
            thread.join();
        }
    }
    ThreadCrowd(const ThreadCrowd&) = delete;
    ThreadCrowd& operator=(const ThreadCrowd&) = delete;

private:
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_done = false;
    std::vector<std::thread> m_threads;
};

}  // namespace reports_test

#endif
