#include "perception/naoparse.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <iostream>
#include <new>

#include "simclient/sexp_parser.h"

const char* const NaoParse::joint_to_str[NaoParse::NB_JOINTS] = {
    "he1",  "he2",  "lle1", "rle1", "lle2", "rle2", "lle3", "rle3", "lle4", "rle4", "lle5",
    "rle5", "lle6", "rle6", "lae1", "rae1", "lae2", "rae2", "lae3", "rae3", "lae4", "rae4"};

const bool NaoParse::inverted_joint[NaoParse::NB_JOINTS] = {
    false, false, false, false, false, false, true,  true,  true,  true,  true,
    true,  false, false, true,  true,  false, false, false, false, false, false};

constexpr double NaoParse::DIM_FIELD_LENGTH;
constexpr double NaoParse::DIM_FIELD_WIDTH;
constexpr double NaoParse::DIM_GOAL_WIDTH;

double NaoParse::vo_x_coord[NaoParse::NB_VISION_OBJECTS] = {0.0,
                                                            -DIM_FIELD_LENGTH / 2,
                                                            -DIM_FIELD_LENGTH / 2,
                                                            DIM_FIELD_LENGTH / 2,
                                                            DIM_FIELD_LENGTH / 2,
                                                            -DIM_FIELD_LENGTH / 2,
                                                            -DIM_FIELD_LENGTH / 2,
                                                            DIM_FIELD_LENGTH / 2,
                                                            DIM_FIELD_LENGTH / 2};

// The posts where the server puts them: a landmark 5 cm off moved a fix
// near a goal by up to about 0.25 m.
double NaoParse::vo_y_coord[NaoParse::NB_VISION_OBJECTS] = {0.0,
                                                            DIM_FIELD_WIDTH / 2,
                                                            -DIM_FIELD_WIDTH / 2,
                                                            DIM_FIELD_WIDTH / 2,
                                                            -DIM_FIELD_WIDTH / 2,
                                                            DIM_GOAL_WIDTH / 2,
                                                            -DIM_GOAL_WIDTH / 2,
                                                            DIM_GOAL_WIDTH / 2,
                                                            -DIM_GOAL_WIDTH / 2};

std::map<NaoParse::JointID, NaoParse::HingeJointSense> NaoParse::mHingeJointSenseMap;

bool NaoParse::fall_down_detection_active = false;
bool NaoParse::fall_down_detected = false;
bool NaoParse::back_fall_down_detected = false;
bool NaoParse::front_fall_down_detected = false;
bool NaoParse::accel_filter_reset_pending = false;

namespace {

const char* const kPerceptorNames[NaoParse::NB_JOINTS] = {
    "hj1",  "hj2",  "llj1", "rlj1", "llj2", "rlj2", "llj3", "rlj3", "llj4", "rlj4", "llj5",
    "rlj5", "llj6", "rlj6", "laj1", "raj1", "laj2", "raj2", "laj3", "raj3", "laj4", "raj4"};

struct PlayModeName {
    const char* text;
    int code;
};

const PlayModeName kPlayModes[] = {{"BeforeKickOff", 0},    {"KickOff_Left", 1},      {"KickOff_Right", 2},
                                   {"PlayOn", 3},           {"KickIn_Left", 4},       {"KickIn_Right", 5},
                                   {"corner_kick_left", 6}, {"corner_kick_right", 7}, {"goal_kick_left", 8},
                                   {"goal_kick_right", 9},  {"offside_left", 10},     {"offside_right", 11},
                                   {"GameOver", 12},        {"Goal_Left", 13},        {"Goal_Right", 14},
                                   {"free_kick_left", 15},  {"free_kick_right", 16}};

// Reads (word d a e) from an end-point list such as (pol 3.1 5.0 -20.4);
// the word is not checked.
bool read_polar(const sexp::Node* list, double& d, double& a, double& e)
{
    if (list == nullptr) return false;
    sexp::ValueCursor c(list, 0);
    std::string word;
    float fd, fa, fe;
    if (!c.next(word) || !c.next(fd) || !c.next(fa) || !c.next(fe)) return false;
    d = fd;
    a = fa;
    e = fe;
    return true;
}

// The polar values of a lower arm, from its first sub-list:
// (rlowerarm (pol d a e)).
bool read_arm(const sexp::Node& player, const char* name, double& d, double& a, double& e)
{
    const sexp::Node* arm = player.find(name);
    if (arm == nullptr) return false;
    for (std::size_t i = 1; i < arm->items.size(); ++i)
        if (arm->items[i].is_list) return read_polar(&arm->items[i], d, a, e);
    return false;
}

}  // namespace

void NaoParse::NaoVis::reset()
{
    for (int i = 0; i < NB_VISION_OBJECTS; ++i) seen[i] = false;
    nb_player = 0;
    nb_teammate = 0;
    nb_opponent = 0;
    nb_line = 0;
}

NaoParse::NaoParse(std::string name)
    : team_name(name),
      play_mode(PM_UNKNOWN),  // no game state read yet
      game_time(-1.0),
      unum(-1),
      side(0),
      hear_active(false),
      hear_time(0.0),
      hear_x(0.0),
      hear_y(0.0),
      hear_dir(0.0),
      hear_count(0),
      vision_count(0),
      server_time(0.0),
      side_received(false),
      side_copy(0),
      hear_form(HEAR_TEAM_BALL)
{
    // Nothing seen before the first vision predicate.
    nv.reset();
    for (int i = 0; i < NB_VISION_OBJECTS; ++i) nv.pol[i][0] = nv.pol[i][1] = nv.pol[i][2] = 0.0;
    for (int i = 0; i < MAX_PLAYER_SEEN; ++i) nv.player[i] = vis_player_t();
    for (int i = 0; i < MAX_LINE_SEEN; ++i) nv.line[i] = vis_line_t();
    fall_down_detection_active = true;
    fall_down_detected = false;
    back_fall_down_detected = false;
    front_fall_down_detected = false;
}

void NaoParse::Init()
{
    game_time = 0.0;
    parser.reset(new (std::nothrow) sexp::SexpParser());
    if (!parser) std::cerr << "unable to create SexpParser instance." << std::endl;
    SetupJointIDMap();
    SetupVisionObjectMap();
}

void NaoParse::SetupJointIDMap()
{
    mJointIDMap.clear();
    for (int i = 0; i < NB_JOINTS; ++i) mJointIDMap[kPerceptorNames[i]] = static_cast<JointID>(i);
}

void NaoParse::SetupVisionObjectMap()
{
    mVisionObjectMap.clear();
    mVisionObjectMap["B"] = VO_BALL;
    mVisionObjectMap["F1L"] = VO_F1L;
    mVisionObjectMap["F2L"] = VO_F2L;
    mVisionObjectMap["F1R"] = VO_F1R;
    mVisionObjectMap["F2R"] = VO_F2R;
    mVisionObjectMap["G1L"] = VO_G1L;
    mVisionObjectMap["G2L"] = VO_G2L;
    mVisionObjectMap["G1R"] = VO_G1R;
    mVisionObjectMap["G2R"] = VO_G2R;
    mVisionObjectMap["L"] = VO_LINE;
    mVisionObjectMap["P"] = VO_PLAYER;
}

void NaoParse::Parse(const std::string& msg, int /*n*/)
{
    if (!parser) return;
    const bool again = msg == last_message;
    if (!again) last_message = msg;
    sexp::PredicateList preds = parser->parse(msg);
    for (const sexp::Node& pred : preds) {
        const std::string& name = pred.name();
        if (name.empty()) continue;
        switch (name[0]) {
            case 'A':
                ParseAccelerometer(pred);
                break;
            case 'F': {
                // Foot pressure: read, not stored.
                std::string foot;
                float v[3];
                sexp::get_value(pred, "n", foot);
                const sexp::Node* c = pred.find("c");
                const sexp::Node* f = pred.find("f");
                sexp::ValueCursor cc(c), fc(f);
                for (float& x : v) cc.next(x);
                for (float& x : v) fc.next(x);
                break;
            }
            case 'G':
                if (name.size() > 1 && name[1] == 'S') {
                    ParseGameState(pred);
                } else if (name.size() > 1 && name[1] == 'Y') {
                    // Gyroscope: read, not stored.
                    std::string n;
                    float v[3];
                    sexp::get_value(pred, "n", n);
                    sexp::ValueCursor rc(pred.find("rt"));
                    for (float& x : v) rc.next(x);
                }
                break;
            case 'H':
                ParseHingeJointInfo(pred);
                break;
            case 'S':
                ParseVisionInfo(pred);
                if (!again) ++vision_count;
                break;
            case 'U':
                ParseUniversalJointInfo(pred);
                break;
            case 't':
                if (name == "time") {
                    double t;
                    if (sexp::get_value(pred, "now", t)) server_time = t;
                }
                break;
            case 'h':
                if (hear_form == HEAR_ECHO)
                    ParseHearEcho(pred);
                else
                    ParseHearInfo(pred);
                break;
            default:
                break;
        }
    }
}

void NaoParse::ParseHingeJointInfo(const sexp::Node& pred)
{
    // A predicate without a name is reported like one with an unknown name.
    std::string name;
    sexp::get_value(pred, "n", name);
    std::map<std::string, JointID>::const_iterator it = mJointIDMap.find(name);
    if (it == mJointIDMap.end()) {
        std::cerr << "(NaoBehavior) unknown joint id!";
        return;
    }
    float angle;
    if (!sexp::get_value(pred, "ax", angle)) return;
    if (it->second < 0 || it->second >= NB_JOINTS) return;
    HingeJointSense s;
    s.angle = angle;
    s.rate = 0.0f;
    mHingeJointSenseMap[it->second] = s;
}

void NaoParse::ParseUniversalJointInfo(const sexp::Node& pred)
{
    std::string name;
    sexp::get_value(pred, "n", name);
    std::map<std::string, JointID>::const_iterator it = mJointIDMap.find(name);
    if (it == mJointIDMap.end()) {
        std::cerr << "(NaoBehavior) unknown joint id!" << std::endl;
        return;
    }
    float a1, a2;
    if (!sexp::get_value(pred, "ax1", a1)) {
        std::cerr << "(NaoBehavior) could not parse universal joint angle1!" << std::endl;
        return;
    }
    if (!sexp::get_value(pred, "ax2", a2)) {
        std::cerr << "(NaoBehavior) could not parse universal joint angle2!" << std::endl;
        return;
    }
    UniversalJointSense s;
    s.angle1 = a1;
    s.rate1 = 0.0f;
    s.angle2 = a2;
    s.rate2 = 0.0f;
    mUniversalJointSenseMap[it->second] = s;
}

void NaoParse::ParseGameState(const sexp::Node& pred)
{
    int u;
    if (sexp::get_value(pred, "unum", u)) {
        unum = u;
        std::string team;
        if (sexp::get_value(pred, "team", team)) {
            if (team == "right" || team == "left") {
                side = team == "right" ? -1 : 1;
                side_copy = side;
                side_received = true;
            }
        }
    }
    double t;
    if (sexp::get_value(pred, "t", t)) {
        game_time = t;
        std::string pm;
        if (sexp::get_value(pred, "pm", pm)) {
            if (pm == "unknown") {
                play_mode = PM_UNKNOWN;
                std::cerr << "unknown gamestate ?\n";
            } else {
                for (const PlayModeName& m : kPlayModes) {
                    if (pm == m.text) {
                        play_mode = m.code;
                        break;
                    }
                }
            }
        }
    }
}

void NaoParse::ParseAccelerometer(const sexp::Node& pred)
{
    // Sliding history of the last four samples per axis; starts at zero.
    static double hx[4] = {0, 0, 0, 0};
    static double hy[4] = {0, 0, 0, 0};
    static double hz[4] = {0, 0, 0, 0};
    // Consecutive readings of a torso turned over (see below).
    static int inverted_readings = 0;
    if (accel_filter_reset_pending) {
        for (int i = 0; i < 4; ++i) hx[i] = hy[i] = hz[i] = 0.0;
        inverted_readings = 0;
        accel_filter_reset_pending = false;
    }

    std::string name;
    if (!sexp::get_value(pred, "n", name)) return;
    sexp::ValueCursor c(pred.find("a"));
    float x, y, z;
    if (!c.next(x) || !c.next(y) || !c.next(z)) return;
    if (!fall_down_detection_active) return;

    for (int i = 0; i < 3; ++i) {
        hx[i] = hx[i + 1];
        hy[i] = hy[i + 1];
        hz[i] = hz[i + 1];
    }
    auto clamp = [](double v) { return v < -10.0 ? -10.0 : (v > 10.0 ? 10.0 : v); };
    hx[3] = clamp(x);
    hy[3] = clamp(y);
    hz[3] = clamp(z);

    double ax = (hx[0] + hx[1] + hx[2] + hx[3]) / 4.0;
    double ay = (hy[0] + hy[1] + hy[2] + hy[3]) / 4.0;
    double az = (hz[0] + hz[1] + hz[2] + hz[3]) / 4.0;
    float m = static_cast<float>(std::sqrt(ax * ax + ay * ay + az * az));
    bool lies = m > 9.0f && m < 11.0f && std::fabs(az) < 4.0;
    // A torso turned further over, its up axis pointing down (a robot on
    // its front with the head below the hips reads about (2, -5.3, -8.1)),
    // lies too, or it would never stand up again. A landing's impact gives
    // such averages for a moment, so it counts only once it has lasted
    // kInvertedReadings readings.
    const int kInvertedReadings = 50;  // half a second: two readings a message
    const bool inverted = m > 9.0f && m < 11.0f && az <= -4.0;
    inverted_readings = inverted ? inverted_readings + 1 : 0;
    if (inverted_readings >= kInvertedReadings) lies = true;
    bool front = false;
    bool back = false;
    if (lies) {
        if (std::fabs(ay) > std::fabs(ax)) {
            back = ay > 0;
            front = !back;
        } else {
            back = true;  // on a side
        }
    }
    if (!fall_down_detected) {
        fall_down_detected = lies;
        front_fall_down_detected = front;
        back_fall_down_detected = back;
    }
}

void NaoParse::ParseVisionInfo(const sexp::Node& pred)
{
    nv.reset();
    for (std::size_t i = 1; i < pred.items.size(); ++i) {
        const sexp::Node& obj = pred.items[i];
        if (!obj.is_list) continue;
        std::string oname;
        sexp::ValueCursor oc(&obj, 0);
        if (!oc.next(oname)) continue;
        std::map<std::string, int>::const_iterator it = mVisionObjectMap.find(oname);
        if (it == mVisionObjectMap.end()) continue;
        int id = it->second;
        if (id >= 0 && id < NB_VISION_OBJECTS) {
            sexp::ValueCursor pc(obj.find("pol"));
            float d, a, e;
            if (pc.next(d) && pc.next(a) && pc.next(e)) {
                nv.seen[id] = true;
                nv.pol[id][0] = d;
                nv.pol[id][1] = a;
                nv.pol[id][2] = e;
            }
        } else if (id == VO_PLAYER) {
            std::string team;
            int pid;
            vis_player_t p;
            if (!sexp::get_value(obj, "team", team) || !sexp::get_value(obj, "id", pid) ||
                !read_arm(obj, "rlowerarm", p.dist[0], p.azimuth[0], p.elevation[0]) ||
                !read_arm(obj, "llowerarm", p.dist[1], p.azimuth[1], p.elevation[1]))
                continue;
            if (nv.nb_player >= MAX_PLAYER_SEEN) {
                std::cerr << "nv.nb_player >= MAX_PLAYER_SEEN \n";
                continue;
            }
            p.teammate = (team == team_name);
            p.id = pid;
            nv.player[nv.nb_player] = p;
            if (p.teammate)
                ++nv.nb_teammate;
            else
                ++nv.nb_opponent;
            ++nv.nb_player;
        } else if (id == VO_LINE) {
            sexp::ValueCursor lc(&obj, 1);
            vis_line_t l;
            if (!read_polar(lc.next_list(), l.dist[0], l.azimuth[0], l.elevation[0]) ||
                !read_polar(lc.next_list(), l.dist[1], l.azimuth[1], l.elevation[1]))
                continue;
            if (nv.nb_line >= MAX_LINE_SEEN) {
                std::cerr << "nv.nb_line >= MAX_LINE_SEEN \n";
                continue;
            }
            nv.line[nv.nb_line++] = l;
        }
    }
}

void NaoParse::ParseHearInfo(const sexp::Node& pred)
{
    sexp::ValueCursor c(&pred);
    std::string team, time, dir, message;
    if (!c.next(team)) {
        std::cerr << "could not get hear_team \n";
        return;
    }
    if (!c.next(time)) {
        std::cerr << "could not get hear_time \n";
        return;
    }
    if (!c.next(dir)) {
        std::cerr << "could not get hear_angle \n";
        return;
    }
    if (!c.next(message)) {
        std::cerr << "could not get hear_message \n";
        return;
    }
    if (!hear_active || team != team_name || dir == "self") return;
    double t, x, y;
    if (std::sscanf(time.c_str(), "%lg", &t) != 1) return;
    if (std::sscanf(message.c_str(), "%lg_%lg", &x, &y) != 2) return;
    if (!std::isfinite(t) || !std::isfinite(x) || !std::isfinite(y)) return;
    hear_time = t;
    hear_x = x;
    hear_y = y;
    double d;
    hear_dir = std::sscanf(dir.c_str(), "%lg", &d) == 1 && std::isfinite(d) ? d : std::nan("");
    ++hear_count;
}

bool NaoParse::ReadHearEcho(const sexp::Node& pred, double& time, std::string& sender, std::string& message)
{
    // The server labels each heard message with the speaker's team,
    // (hear team time sender message), unless its LabelMessages is off.
    // Neither the team nor a message holds a space, so the number of
    // values tells the two forms apart; the label is skipped.
    const std::size_t labelled = 5;  // name, team, time, sender, message
    sexp::ValueCursor c(&pred, pred.items.size() >= labelled ? 2 : 1);
    if (!c.next(time)) {
        std::cerr << "could not get hear time \n";
        return false;
    }
    if (!c.next(sender)) {
        std::cerr << "could not get sender \n";
        return false;
    }
    if (!c.next(message)) {
        std::cerr << "could not get message \n";
        return false;
    }
    return true;
}

void NaoParse::ParseHearEcho(const sexp::Node& pred)
{
    double t;
    std::string sender, message;
    if (!ReadHearEcho(pred, t, sender, message)) return;
    if (sender == "self") std::cout << "I said " << message << " at " << t << std::endl;
}

double NaoParse::GetJointAngleDeg(JointID id) { return mHingeJointSenseMap[id].angle; }

double NaoParse::GetJointAngleRad(JointID id) { return GetJointAngleDeg(id) * 3.1415926 / 180.0; }

void NaoParse::reset_accel_filter() { accel_filter_reset_pending = true; }

void NaoParse::reset_static_state()
{
    mHingeJointSenseMap.clear();
    fall_down_detection_active = true;
    fall_down_detected = false;
    back_fall_down_detected = false;
    front_fall_down_detected = false;
    reset_accel_filter();
}
