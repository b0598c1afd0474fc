// The perception record of one robot: what the last server message said
// about the joints, the fall state, the game state, vision and hearing,
// plus the program-wide joint-name tables and the field dimensions.
#ifndef BREVANE_PERCEPTION_NAOPARSE_H
#define BREVANE_PERCEPTION_NAOPARSE_H

#include <map>
#include <memory>
#include <string>

#include "perception/naovis.h"

namespace sexp {
struct Node;
class SexpParser;
}  // namespace sexp

class NaoParse {
public:
    // The 22 hinge joints in effector order: head yaw and pitch, the six leg
    // joints alternating left/right, the four arm joints alternating
    // left/right.
    enum JointID {
        JID_HEAD_1 = 0,
        JID_HEAD_2 = 1,
        JID_LLEG_1 = 2,
        JID_RLEG_1 = 3,
        JID_LLEG_2 = 4,
        JID_RLEG_2 = 5,
        JID_LLEG_3 = 6,
        JID_RLEG_3 = 7,
        JID_LLEG_4 = 8,
        JID_RLEG_4 = 9,
        JID_LLEG_5 = 10,
        JID_RLEG_5 = 11,
        JID_LLEG_6 = 12,
        JID_RLEG_6 = 13,
        JID_LARM_1 = 14,
        JID_RARM_1 = 15,
        JID_LARM_2 = 16,
        JID_RARM_2 = 17,
        JID_LARM_3 = 18,
        JID_RARM_3 = 19,
        JID_LARM_4 = 20,
        JID_RARM_4 = 21
    };
    static const int NB_JOINTS = 22;

    // Play-mode codes of `play_mode`.
    enum PlayMode {
        PM_BEFORE_KICK_OFF = 0,
        PM_KICK_OFF_LEFT = 1,
        PM_KICK_OFF_RIGHT = 2,
        PM_PLAY_ON = 3,
        PM_KICK_IN_LEFT = 4,
        PM_KICK_IN_RIGHT = 5,
        PM_CORNER_KICK_LEFT = 6,
        PM_CORNER_KICK_RIGHT = 7,
        PM_GOAL_KICK_LEFT = 8,
        PM_GOAL_KICK_RIGHT = 9,
        PM_OFFSIDE_LEFT = 10,
        PM_OFFSIDE_RIGHT = 11,
        PM_GAME_OVER = 12,
        PM_GOAL_LEFT = 13,
        PM_GOAL_RIGHT = 14,
        PM_FREE_KICK_LEFT = 15,
        PM_FREE_KICK_RIGHT = 16,
        PM_UNKNOWN = 17
    };

    struct HingeJointSense {
        float angle;  // degrees
        float rate;   // always 0
    };

    struct UniversalJointSense {
        float angle1;
        float rate1;
        float angle2;
        float rate2;
    };

    // The vision record and its parts (perception/naovis.h).
    static const int MAX_PLAYER_SEEN = nao_vision::MAX_PLAYER_SEEN;
    static const int MAX_LINE_SEEN = nao_vision::MAX_LINE_SEEN;
    static const int NB_VISION_OBJECTS = nao_vision::NB_VISION_OBJECTS;
    using vis_player_t = nao_vision::vis_player_t;
    using vis_line_t = nao_vision::vis_line_t;
    using NaoVis = nao_vision::NaoVis;

    // Vision ids (mVisionObjectMap).
    enum VisionID {
        VO_BALL = 0,
        VO_F1L = 1,
        VO_F2L = 2,
        VO_F1R = 3,
        VO_F2R = 4,
        VO_G1L = 5,
        VO_G2L = 6,
        VO_G1R = 7,
        VO_G2R = 8,
        VO_LINE = 10,
        VO_PLAYER = 11
    };

    // Program-wide tables.
    static const char* const joint_to_str[NB_JOINTS];  // effector names
    static const bool inverted_joint[NB_JOINTS];
    static constexpr double DIM_FIELD_LENGTH = 30.0;
    static constexpr double DIM_FIELD_WIDTH = 20.0;
    // The server's goal width: its posts stand at y = +-1.05.
    static constexpr double DIM_GOAL_WIDTH = 2.1;
    // Field coordinates of the vision objects by vision id (0..8).
    static double vo_x_coord[NB_VISION_OBJECTS];
    static double vo_y_coord[NB_VISION_OBJECTS];

    // Last perceived angle of every hinge joint: one per process.
    static std::map<JointID, HingeJointSense> mHingeJointSenseMap;

    // Fall flags, latched by the accelerometer filter and cleared by the
    // motion interface when its stand-up ends.
    static bool fall_down_detection_active;
    static bool fall_down_detected;
    static bool back_fall_down_detected;
    static bool front_fall_down_detected;

    // Record members, in this order.
    std::string team_name;
    NaoVis nv;
    int play_mode;
    double game_time;
    int unum;
    int side;  // +1 playing from the left, -1 from the right, 0 unknown
    std::shared_ptr<sexp::SexpParser> parser;
    std::map<JointID, UniversalJointSense> mUniversalJointSenseMap;
    std::map<std::string, JointID> mJointIDMap;  // perceptor name -> joint
    std::map<std::string, int> mVisionObjectMap;
    bool hear_active;
    double hear_time;
    double hear_x;
    double hear_y;
    // Kept with each heard ball position: the direction it came from
    // (degrees, from this robot towards the speaker, in the frame the
    // server gives the team: x towards the opponent goal; NaN when the
    // direction is no number), and the count of the positions stored.
    double hear_dir;
    int hear_count;
    // Vision records parsed: the record `nv` stays through the messages
    // without vision, and a reader that must know whether it is new since
    // some moment compares this count. The cycle loop thinks once per
    // sub-step on the same message: parsed again, its record counts once.
    int vision_count;
    // s: the server's clock of the message ("(time (now t))"), which runs
    // while the game clock stands still (before a kick-off); 0 until told.
    double server_time;
    std::string last_message;  // the text parsed last

    // Read by the run-challenge program: whether a game state has told the
    // side, and the side it told (set together with `side`).
    bool side_received;
    int side_copy;

    // The form of the hear predicate: the match agent's
    // (hear team time direction message) with the team-mates' ball
    // positions, or the run-challenge program's (hear time sender message),
    // also read with the server's team label in front, whose own messages
    // ("self") are echoed on the standard output and nothing is stored.
    enum HearForm { HEAR_TEAM_BALL = 0, HEAR_ECHO = 1 };
    HearForm hear_form;

    explicit NaoParse(std::string team_name);

    // Creates the parser and fills the name tables.
    void Init();
    void SetupJointIDMap();
    void SetupVisionObjectMap();

    // Parses one server message into the record; `n` is not used.
    void Parse(const std::string& msg, int n);

    void ParseHingeJointInfo(const sexp::Node& pred);
    void ParseUniversalJointInfo(const sexp::Node& pred);
    void ParseGameState(const sexp::Node& pred);
    void ParseAccelerometer(const sexp::Node& pred);
    void ParseVisionInfo(const sexp::Node& pred);
    void ParseHearInfo(const sexp::Node& pred);
    // ParseHearInfo of the HEAR_ECHO form.
    void ParseHearEcho(const sexp::Node& pred);
    // Reads (hear time sender message), or (hear team time sender message)
    // as the server labels it; the first value missing is reported ("could
    // not get hear time", "... sender", "... message") and gives false.
    static bool ReadHearEcho(const sexp::Node& pred, double& time, std::string& sender, std::string& message);

    // Angle of a joint in degrees; a joint never perceived reads 0.
    static double GetJointAngleDeg(JointID id);
    // The same in radians, with pi taken as 3.1415926.
    static double GetJointAngleRad(JointID id);

    // Empties the accelerometer history on the next reading: readings from
    // before a beam set the body upright are not its own (tests: as at start).
    static void reset_accel_filter();

    // Tests: clears the process-wide state (joint angles, fall flags,
    // accelerometer history) as at program start.
    static void reset_static_state();

private:
    static bool accel_filter_reset_pending;
};

#endif
