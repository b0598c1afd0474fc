#ifndef BREVANE_WORLD_TEAMFORMATION_H
#define BREVANE_WORLD_TEAMFORMATION_H

// A player's home place: where it is beamed before kick-off and after a
// goal, and where the localiser starts. Frame of a team that plays from the
// negative x side towards positive x.
class form_t {
public:
    double L;      // field length (m)
    double W;      // field width (m)
    double x;      // m
    double y;      // m
    double theta;  // rad; 0 faces the opponent goal

    form_t(double L, double W);

    // The fixed kick-off place of uniform number n (1..11). Any other number
    // is a configuration error: reported, and the process ends with a failure
    // status.
    void init(int n);
};

#endif
