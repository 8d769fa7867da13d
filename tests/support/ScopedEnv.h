#ifndef QUENDAR_TEST_SCOPEDENV_H
#define QUENDAR_TEST_SCOPEDENV_H

// Sets (or, with nullptr, unsets) an environment variable for one scope and
// puts the previous state back afterwards.

#include <stdlib.h>

#include <string>

class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const char* value) : m_name(name)
    {
        const char* old = ::getenv(name.c_str());
        m_had = old != nullptr;
        if (m_had) {
            m_old = old;
        }
        if (value == nullptr) {
            ::unsetenv(name.c_str());
        } else {
            ::setenv(name.c_str(), value, 1);
        }
    }
    ScopedEnv(const std::string& name, const std::string& value) : ScopedEnv(name, value.c_str()) {}
    ~ScopedEnv()
    {
        if (m_had) {
            ::setenv(m_name.c_str(), m_old.c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_old;
    bool m_had = false;
};

#endif
