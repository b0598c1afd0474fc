#include "behavior/machine_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

void flog_t::info(const std::string& name, const std::string& text) const
{
    std::fprintf(stderr, "INFO: %s %s\n", name.c_str(), text.c_str());
}

machine_log_t::machine_log_t(std::string name) : step_count(0), same_count(0), name_(std::move(name))
{
    for (int i = 0; i < LEVELS; ++i) {
        std::strcpy(current[i], "none");
        std::strcpy(previous[i], "none");
    }
}

void machine_log_t::begin_step()
{
    for (int i = 0; i < LEVELS; ++i) {
        std::strcpy(previous[i], current[i]);
        std::strcpy(current[i], "none");
    }
}

void machine_log_t::write(int level, const char* format, ...)
{
    char text[LINE_SIZE];
    if (level < 0 || level >= LEVELS) {
        std::snprintf(text, sizeof(text), "level exceeds maximal size %d.", LEVELS);
        sink_.info(name_, text);
        return;
    }
    va_list ap;
    va_start(ap, format);
    const int n = std::vsnprintf(text, sizeof(text), format, ap);
    va_end(ap);
    if (n < 0 || n >= LINE_SIZE)
        std::snprintf(current[level], LINE_SIZE, "chain exceeds max. size %d", LINE_SIZE);
    else
        std::memcpy(current[level], text, static_cast<size_t>(n) + 1);
}

void machine_log_t::end_step()
{
    ++step_count;
    bool same = true;
    for (int i = 0; i < LEVELS && same; ++i) same = std::strcmp(current[i], previous[i]) == 0;
    char text[LINE_SIZE + 16];
    if (same) {
        if (++same_count % SAME_PERIOD == 0) {
            std::snprintf(text, sizeof(text), " =====>>>> same state for %d times", SAME_PERIOD);
            sink_.info(name_, text);
        }
        return;
    }
    for (int i = 0; i < LEVELS; ++i) {
        if (std::strcmp(current[i], "none") == 0) continue;
        if (i == 0) sink_.info(name_, "---------------------");
        std::snprintf(text, sizeof(text), "%d - %s", step_count, current[i]);
        sink_.info(name_, text);
    }
    same_count = 0;
}
