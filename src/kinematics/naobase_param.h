#ifndef BREVANE_KINEMATICS_NAOBASE_PARAM_H
#define BREVANE_KINEMATICS_NAOBASE_PARAM_H

// Torso of the simulated Nao. Body-file axes: X to the robot's right,
// Y forward, Z up; metres and kilograms. The values are class-wide: every
// limb's absolute positions are anchored at the one torso position.
class NaoBase {
public:
    static float Torso_X;
    static float Torso_Y;
    static float Torso_Z;
    static float TorsoLength;
    static float TorsoWidth;
    static float TorsoHeight;
    static float TorsoMass;

    // Reads "rsg_inputs/naobase_input.txt"-style files: 1 when read, 0 (with
    // a message, values unchanged) when the file cannot be opened.
    int init(const char* path);

    // Back to all zero; the values are shared by the whole process, so tests
    // start from a known state with it.
    static void reset();
};

#endif
