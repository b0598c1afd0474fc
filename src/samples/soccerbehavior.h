// Sample behaviour of the simulator's wheeled sphere: it beams to (-6, 0),
// drives towards the ball and kicks it once within 1.5 m. The program never
// creates it.
#ifndef BREVANE_SAMPLES_SOCCERBEHAVIOR_H
#define BREVANE_SAMPLES_SOCCERBEHAVIOR_H

#include <map>
#include <memory>
#include <string>

#include "perception/SimBehavior.h"
#include "simclient/object_core.h"
#include "simclient/sexp_parser.h"

class SoccerBehavior : public SimBehavior {
public:
    struct Vector3f {
        float x = 0, y = 0, z = 0;
    };

    enum VisionObject { VO_BALL = 0 };

    // Polar view of an object: distance (m), azimuth theta and elevation
    // phi (degrees).
    struct VisionSense {
        float distance = 0;
        float theta = 0;
        float phi = 0;
    };

    sexp::ObjectCore core;
    std::shared_ptr<sexp::SexpParser> parser;
    std::map<VisionObject, VisionSense> mVisionSenseMap;
    std::map<std::string, VisionObject> mVisionObjectMap;
    Vector3f mMyPos;

    SoccerBehavior();
    virtual ~SoccerBehavior();

    // Creates the parser and the vision names; the scene and beam message.
    std::string Init() override;
    // Reads the vision of msg, then kicks or drives after the ball.
    std::string Think(const std::string& msg) override;

    void SetupVisionObjectMap();
    void ParseVision(const sexp::Node& pred);
    // The last sense of the object; an object never seen is reported
    // ("unknown VisionObject <n>") and reads as all zero.
    VisionSense GetVisionSense(VisionObject obj);
    // The field position of a sensed object: the own position plus its
    // polar view turned into a vector.
    Vector3f GetPosition(const VisionSense& sense) const;
};

#endif
