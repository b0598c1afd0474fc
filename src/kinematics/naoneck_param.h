#ifndef BREVANE_KINEMATICS_NAONECK_PARAM_H
#define BREVANE_KINEMATICS_NAONECK_PARAM_H

// Neck and head of the simulated Nao. Every field starts at 0.

class NaoNeck_size_mass {
public:
    float Neck_Radius = 0, Neck_Length = 0, Neck_Mass = 0;
    float Head_Radius = 0, Head_Mass = 0;
};

class NaoNeck : public NaoNeck_size_mass {
public:
    // 1 when read, 0 (with a message, values unchanged) when the file cannot
    // be opened.
    int init(const char* path);
};

#endif
