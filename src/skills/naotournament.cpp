#include "skills/naotournament.h"

#include <cstdio>

void Nao_ref_Tournament::init(int id_, double start_time_, double x, double y, double angle, double kick_x,
                              double kick_y)
{
    id = id_;
    start_time = start_time_;
    start_x = x;
    start_y = y;
    start_angle = angle;
    end_x = end_y = end_angle = 0;
    kick_start_x = kick_x;
    kick_start_y = kick_y;
    kick_end_x = kick_end_y = 0;
}

std::string Nao_ref_Tournament::log_name() const { return "log_tournament_" + std::to_string(id) + ".txt"; }

bool Nao_ref_Tournament::write_log(double time, int n, double ax, double ay, double aa, double bx, double by,
                                   double ba) const
{
    const std::string name = log_name();
    FILE* f = std::fopen(name.c_str(), "w");
    if (f == nullptr) {
        std::fprintf(stderr, "Nao_ref_Tournament fopen %s FAILED\n", name.c_str());
        return false;
    }
    std::fprintf(f, "%.3f %.3f %d (%.3f %.3f %.3f) (%.3f %.3f %.3f)\n", start_time, time, n, ax, ay, aa, bx,
                 by, ba);
    const bool ok = std::fflush(f) == 0 && !std::ferror(f);
    if ((std::fclose(f) != 0) || !ok) {
        std::fprintf(stderr, "Nao_ref_Tournament write %s FAILED\n", name.c_str());
        return false;
    }
    return true;
}

bool Nao_ref_Tournament::endT(double time, int n, double x, double y, double angle)
{
    if (time < start_time) return false;
    end_x = x;
    end_y = y;
    end_angle = angle;
    return write_log(time, n, start_x, start_y, start_angle, end_x, end_y, end_angle);
}

bool Nao_ref_Tournament::endR(double time, int n, double x, double y, double angle)
{
    if (time < start_time) return false;
    end_x = x;
    end_y = y;
    end_angle = angle < 3.141592653589793 ? angle + 6.283185307179586 : angle;
    return write_log(0.0, n, start_x, start_y, start_angle, end_x, end_y, end_angle);
}

bool Nao_ref_Tournament::endK(double time, int n, double x, double y)
{
    if (time < start_time) return false;
    kick_end_x = x;
    kick_end_y = y;
    return write_log(0.0, n, kick_start_x, kick_start_y, 0.0, kick_end_x, kick_end_y, 0.0);
}
