#include "keyframe/naosimplemove.h"

#include <cmath>
#include <cstdio>
#include <cstring>

const float naosimplemove_t::gain = 4.0f;

namespace {

const int kMaxColumns = 22;
const int kLineBuffer = 1024;

// Progress of the running interpolation; one per process, like the
// interpolation itself.
struct InterpolationState {
    int cur_set = 0;                          // start angles taken
    float cur0[kMaxColumns] = {0};            // start angles (deg)
    int nb_cur_inc = 0;                       // cycles done
    const naosimplemove_t* player = nullptr;  // what the running one plays
    int line = 0;
    int n = 0;
};

InterpolationState& interpolation_state()
{
    static InterpolationState state;
    return state;
}

// Cuts the line end off a token, so that the last name of a header written
// without a trailing blank, or a CRLF file, still reads.
void strip_line_end(char* token)
{
    size_t len = std::strlen(token);
    while (len > 0 && (token[len - 1] == '\n' || token[len - 1] == '\r')) {
        token[--len] = '\0';
    }
}

// Splits a line from its second character at blanks; calls f for each token
// until the end of the line.
template <class F>
void for_each_token(char* line, F f)
{
    if (line[0] == '\0') return;
    char* save = nullptr;
    for (char* tok = strtok_r(line + 1, " ", &save); tok != nullptr; tok = strtok_r(nullptr, " ", &save)) {
        if (tok[0] == '\n' || tok[0] == '\r') break;
        strip_line_end(tok);
        if (tok[0] == '\0') break;
        if (!f(tok)) break;
    }
}

bool is_valid_joint(int j) { return j >= 0 && j < kMaxColumns; }

}  // namespace

bool write_effector_speed(std::stringstream& out, int joint, double speed, const char* fmt)
{
    if (joint < 0 || joint >= 22) return false;
    char buf[64];
    const int n = std::isfinite(speed)
                      ? std::snprintf(buf, sizeof(buf), fmt, NaoParse::joint_to_str[joint], speed)
                      : -1;
    if (n < 0 || n >= static_cast<int>(sizeof(buf))) {
        std::fprintf(stderr, "no speed for %s this cycle (%f)\n", NaoParse::joint_to_str[joint], speed);
        return false;
    }
    out << buf;
    return true;
}

void naosimplemove_t::init()
{
    for (int i = 0; i < kMaxColumns; i++) jid[i] = -1;
    njoints = 0;
    for (int i = 0; i < MAX_JID_LINES * kMaxColumns; i++) angles[i] = 0.0f;
    nlines = 0;
    cur_line = 0;
    for (int i = 0; i < 12; i++) captured[i] = 0.0f;
}

bool naosimplemove_t::load(const char* path, std::map<std::string, NaoParse::JointID>* names)
{
    init();
    FILE* f = std::fopen(path, "r");
    if (f == nullptr) {
        std::fprintf(stderr, "(log fopen %s error)\n", path);
        return false;
    }

    char line[kLineBuffer];
    if (std::fgets(line, sizeof(line), f) == nullptr) {
        std::fprintf(stderr, "(log loading ERROR %s)\n", path);
    } else {
        bool ok = true;
        bool too_wide = false;
        for_each_token(line, [&](char* tok) {
            if (njoints == kMaxColumns) {
                too_wide = true;
                return false;
            }
            std::map<std::string, NaoParse::JointID>::const_iterator it = names->find(tok);
            if (it == names->end()) {
                std::fprintf(stderr, "(log bh_step load unknown joint id! [%s])\n", tok);
                ok = false;
                return false;
            }
            jid[njoints] = static_cast<int>(it->second);
            njoints += 1;
            return true;
        });
        if (!ok) {
            std::fclose(f);
            return false;
        }
        // Columns beyond the id table are dropped; the header is line -1.
        if (too_wide) {
            std::fprintf(stderr, "(log line_width != head_size in %s line %d)\n", path, -1);
        }
    }

    int stored = 0;
    while (stored < MAX_JID_LINES && std::fgets(line, sizeof(line), f) != nullptr) {
        int j = 0;
        for_each_token(line, [&](char* tok) {
            float v;
            if (std::sscanf(tok, "%f", &v) == 1 && j < njoints) {
                angles[stored * njoints + j] = v;
            }
            j++;
            return true;
        });
        if (j != njoints) {
            std::fprintf(stderr, "(log line_width != head_size in %s line %d)\n", path, stored);
        }
        stored++;
    }
    std::fclose(f);
    nlines = stored;
    if (stored == MAX_JID_LINES) {
        std::fprintf(stderr, "(log line_id == MAX_JID_LINES in %s)\n", path);
    }
    return true;
}

bool naosimplemove_t::interpolate(int line, int n, std::stringstream& out, bool capture)
{
    InterpolationState& st = interpolation_state();
    // Zero steps would divide by zero: take it as one.
    if (n < 1) n = 1;
    // Another player, line or length starts a new interpolation rather than
    // finishing the previous one with its start angles.
    if (st.cur_set && (st.player != this || st.line != line || st.n != n)) {
        reset_interpolation();
    }
    st.player = this;
    st.line = line;
    st.n = n;

    for (int i = 0; i < 12; i++) captured[i] = 0.0f;

    const int total = nb_static_interpolate * n;
    const bool line_ok = line >= 0 && line < MAX_JID_LINES;
    const int columns = line_ok ? njoints : 0;
    const bool running = columns > 0 && st.nb_cur_inc < total;

    for (int p = 0; p < columns; p++) {
        const int j = jid[p];
        if (!is_valid_joint(j)) continue;
        float target = angles[line * njoints + p];
        if (NaoParse::inverted_joint[j]) target = -target;
        const NaoParse::JointID id = static_cast<NaoParse::JointID>(j);
        if (st.cur_set == 0) st.cur0[p] = static_cast<float>(NaoParse::GetJointAngleDeg(id));
        const float setpoint = st.cur0[p] + (target - st.cur0[p]) * static_cast<float>(st.nb_cur_inc) /
                                                static_cast<float>(total);
        const float current = static_cast<float>(NaoParse::GetJointAngleDeg(id));
        const float speed = (setpoint - current) / gain;
        if (capture && j >= 2 && j <= 13) {
            const int slot = (j % 2 == 0) ? (j - 2) / 2 : 6 + (j - 3) / 2;
            captured[slot] = setpoint;
        }
        if (j >= 2) write_effector_speed(out, j, speed);
    }

    if (running) {
        st.cur_set = 1;
        st.nb_cur_inc += 1;
    } else {
        reset_interpolation();
    }
    return running;
}

bool naosimplemove_t::next(std::stringstream& out)
{
    // Past the last line there is nothing to play (and nothing stored).
    if (cur_line < 0 || cur_line >= nlines) return false;
    for (int p = 0; p < njoints; p++) {
        const int j = jid[p];
        if (!is_valid_joint(j)) continue;
        float target = angles[cur_line * njoints + p];
        if (NaoParse::inverted_joint[j]) target = -target;
        const float current =
            static_cast<float>(NaoParse::GetJointAngleDeg(static_cast<NaoParse::JointID>(j)));
        float speed = (target - current) / 4.0f;
        if (speed > -0.4f && speed < 0.4f) speed = 0.0f;
        write_effector_speed(out, j, speed, "(%s %.0f)");
    }
    cur_line += 1;
    return cur_line != nlines;
}

void naosimplemove_t::clearAllEffector(std::stringstream& out)
{
    out << "(lae1 0)(rae1 0)(lae2 0)(rae2 0)";
    out << "(lae3 0)(rae3 0)(lae4 0)(rae4 0)";
    out << "(lle1 0)(rle1 0)(lle2 0)(rle2 0)";
    out << "(lle3 0)(rle3 0)(lle4 0)(rle4 0)";
    out << "(lle5 0)(rle5 0)(lle6 0)(rle6 0)";
}

void naosimplemove_t::reset_interpolation()
{
    InterpolationState& st = interpolation_state();
    st.cur_set = 0;
    st.nb_cur_inc = 0;
    for (int i = 0; i < kMaxColumns; i++) st.cur0[i] = 0.0f;
    st.player = nullptr;
}
