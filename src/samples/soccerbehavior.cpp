#include "samples/soccerbehavior.h"

#include <cmath>
#include <iostream>

#include "samples/samples_common.h"

SoccerBehavior::SoccerBehavior() : core(".FIRST_TEST") {}

SoccerBehavior::~SoccerBehavior() {}

std::string SoccerBehavior::Init()
{
    parser = make_sample_parser(core);
    SetupVisionObjectMap();
    return "(scene rsg/agent/soccerplayer.rsg)(beam -6 0 0)";
}

void SoccerBehavior::SetupVisionObjectMap()
{
    mVisionObjectMap.clear();
    mVisionObjectMap["Ball"] = VO_BALL;
}

// (Vision (Ball (pol 4.5 -20 -3)) (Flag (id 1_l) (pol ...)) (mypos x y z))
void SoccerBehavior::ParseVision(const sexp::Node& pred)
{
    sexp::ValueCursor objects(&pred);
    while (const sexp::Node* obj = objects.next_list()) {
        if (obj->name() == "mypos") {
            sexp::ValueCursor c(obj);
            Vector3f p;
            if (c.next(p.x) && c.next(p.y) && c.next(p.z)) mMyPos = p;
            continue;
        }
        std::string name = obj->name();
        std::string id;
        if (sexp::get_value(*obj, "id", id)) name += id;
        std::map<std::string, VisionObject>::const_iterator it = mVisionObjectMap.find(name);
        if (it == mVisionObjectMap.end()) continue;
        sexp::ValueCursor c(obj->find("pol"));
        VisionSense s;
        if (c.next(s.distance) && c.next(s.theta) && c.next(s.phi)) mVisionSenseMap[it->second] = s;
    }
}

SoccerBehavior::VisionSense SoccerBehavior::GetVisionSense(VisionObject obj)
{
    std::map<VisionObject, VisionSense>::const_iterator it = mVisionSenseMap.find(obj);
    if (it == mVisionSenseMap.end()) {
        std::cerr << "unknown VisionObject " << obj << "\n";
        return VisionSense();
    }
    return it->second;
}

SoccerBehavior::Vector3f SoccerBehavior::GetPosition(const VisionSense& sense) const
{
    const double deg = M_PI / 180.0;
    const double d = sense.distance;
    const double theta = sense.theta * deg;
    const double up = (90.0 - sense.phi) * deg;
    Vector3f p = mMyPos;
    p.x += static_cast<float>(d * std::sin(up) * std::cos(theta));
    p.y += static_cast<float>(d * std::sin(theta) * std::sin(up));
    p.z += static_cast<float>(d * std::cos(up));
    return p;
}

std::string SoccerBehavior::Think(const std::string& msg)
{
    if (parser)
        for (const sexp::Node& pred : parser->parse(msg))
            if (pred.name() == "Vision") ParseVision(pred);

    const VisionSense ball = GetVisionSense(VO_BALL);
    if (ball.distance <= 1.5f) return "(kick 0  100)";
    if (std::fabs(ball.theta) > 90) return "(lte -100)(rte 100)";
    if (std::fabs(ball.theta) < 5) return "(lte 100)(rte 100)";
    if (ball.theta < 0) return "(lte 100)(rte +100)";
    return "(lte -100)(rte 100)";
}
