#include "qorvexlib/Strategy.h"

#include <tinyxml2.h>

#include <boost/filesystem/path.hpp>

namespace qorvexlib {

namespace {

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

// A missing or non-numeric attribute leaves 0.
double attr(const XMLElement* e, const char* name)
{
    double v = 0.0;
    e->QueryDoubleAttribute(name, &v);
    return v;
}

std::string parentDir(const std::string& file)
{
    return boost::filesystem::path(file).parent_path().string();
}

}  // namespace

Strategy::Strategy() : m_prefix(".") {}

Strategy::~Strategy() {}

bool Strategy::load(const std::string& file)
{
    XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
    if (doc.LoadFile(file.c_str()) != tinyxml2::XML_SUCCESS) return false;
    const XMLElement* strategy = doc.FirstChildElement("strategy");
    if (!strategy) return false;

    std::vector<formation_t> read;
    for (const XMLElement* fe = strategy->FirstChildElement("formation"); fe;
         fe = fe->NextSiblingElement("formation")) {
        const XMLElement* be = fe->FirstChildElement("ball");
        const XMLElement* ae = fe->FirstChildElement("ballArea");
        const XMLElement* pe = fe->FirstChildElement("players");
        const char* script = fe->Attribute("script");
        if (!be || !ae || !pe || !script) return false;

        read.emplace_back();
        formation_t& f = read.back();
        f.script = script;
        f.ball = vec2d(attr(be, "x"), attr(be, "y"));
        f.ballArea.origin = vec2d(attr(ae, "x"), attr(ae, "y"));
        f.ballArea.size = vec2d(attr(ae, "l"), attr(ae, "w"));
        for (const XMLElement* p = pe->FirstChildElement("player"); p; p = p->NextSiblingElement("player"))
            f.players.push_back(vec2d(attr(p, "x"), attr(p, "y")));
    }

    // Swapping keeps every formation object where it is, so their Lua
    // bindings stay valid.
    m_formations.swap(read);
    m_prefix = parentDir(file);
    return true;
}

bool Strategy::save(const std::string& file)
{
    XMLDocument doc;
    XMLElement* strategy = doc.NewElement("strategy");
    doc.InsertEndChild(strategy);
    for (const formation_t& f : m_formations) {
        XMLElement* fe = doc.NewElement("formation");
        fe->SetAttribute("script", f.script.c_str());
        strategy->InsertEndChild(fe);

        XMLElement* be = doc.NewElement("ball");
        be->SetAttribute("x", f.ball.x);
        be->SetAttribute("y", f.ball.y);
        fe->InsertEndChild(be);

        XMLElement* ae = doc.NewElement("ballArea");
        ae->SetAttribute("x", f.ballArea.origin.x);
        ae->SetAttribute("y", f.ballArea.origin.y);
        ae->SetAttribute("l", f.ballArea.size.x);
        ae->SetAttribute("w", f.ballArea.size.y);
        fe->InsertEndChild(ae);

        XMLElement* pe = doc.NewElement("players");
        fe->InsertEndChild(pe);
        for (const vec2d& p : f.players) {
            XMLElement* e = doc.NewElement("player");
            e->SetAttribute("x", p.x);
            e->SetAttribute("y", p.y);
            pe->InsertEndChild(e);
        }
    }
    if (doc.SaveFile(file.c_str(), false) != tinyxml2::XML_SUCCESS) return false;
    m_prefix = parentDir(file);
    return true;
}

bool Strategy::fetchFormation(const vec2d& ball, formation_t& out) const
{
    for (const formation_t& f : m_formations) {
        if (isIn(ball, f.ballArea)) {
            out = f;
            return true;
        }
    }
    return false;
}

bool Strategy::interpolate(const vec2d& ball, Side side, formation_t& out) const
{
    vec2d b = ball;
    if (side == RED) b = vec2d(-ball.x, -ball.y);
    if (!fetchFormation(b, out)) return false;
    if (!m_scripts.run(m_prefix, out.script, b, out)) return false;
    if (side == RED) out.revert();
    return true;
}

void Strategy::addFormation(const formation_t& f) { m_formations.push_back(f); }

void Strategy::clear() { m_formations.clear(); }

bool Strategy::operator==(const Strategy& o) const
{
    if (m_formations.size() != o.m_formations.size()) return false;
    for (size_t i = 0; i < m_formations.size(); ++i)
        if (m_formations[i] != o.m_formations[i]) return false;
    return true;
}

}  // namespace qorvexlib
