#ifndef QUENDAR_TEST_FIXTURES_H
#define QUENDAR_TEST_FIXTURES_H

// Where the machine-description roots of tests/fixtures/machines are.

#include <cstdlib>
#include <string>

inline std::string FixturesDir()
{
    const char* dir = std::getenv("QUENDAR_FIXTURES");
    if (dir != nullptr && *dir != '\0') {
        return dir;
    }
#ifdef QUENDAR_FIXTURES
    return QUENDAR_FIXTURES;
#else
    return "tests/fixtures";
#endif
}

inline std::string FixtureMachine(const std::string& name)
{
    return FixturesDir() + "/machines/" + name;
}

#endif
