// The behaviour interface through which the cycle loop hands every server
// message to an agent: Init gives the first message to the server, Think
// the answer to each server message.
#ifndef BREVANE_PERCEPTION_SIMBEHAVIOR_H
#define BREVANE_PERCEPTION_SIMBEHAVIOR_H

#include <string>

class SimBehavior {
public:
    virtual std::string Init() = 0;
    virtual std::string Think(const std::string& msg) = 0;
};

#endif
