// The vision record of one cycle (NaoParse::NaoVis) with its parts, on
// their own so that the world model can keep one without the whole
// perception record.
#ifndef BREVANE_PERCEPTION_NAOVIS_H
#define BREVANE_PERCEPTION_NAOVIS_H

namespace nao_vision {

const int MAX_PLAYER_SEEN = 32;
const int MAX_LINE_SEEN = 32;
const int NB_VISION_OBJECTS = 9;  // ball, four flags, four posts

// One seen player; index 0 of each pair is the right lower arm, 1 the
// left lower arm.
struct vis_player_t {
    double dist[2];
    double azimuth[2];
    double elevation[2];
    bool teammate;
    int id;
};

// One seen field line; index 0 of each pair is its first end point.
struct vis_line_t {
    double dist[2];
    double azimuth[2];
    double elevation[2];
};

// The vision record of the last "See": polar coordinates relative to
// the camera (distance m, azimuth and elevation in degrees).
struct NaoVis {
    bool seen[NB_VISION_OBJECTS];
    double pol[NB_VISION_OBJECTS][3];
    int nb_player;
    int nb_teammate;
    int nb_opponent;
    vis_player_t player[MAX_PLAYER_SEEN];
    int nb_line;
    vis_line_t line[MAX_LINE_SEEN];

    // Clears the seen flags and the counts; values stay.
    void reset();
};

}  // namespace nao_vision

#endif
