// The object core of the sample behaviours: it makes the S-expression
// parser by class name once the bundle that provides it was imported, so a
// behaviour reads its messages the way a client of the simulator's own
// libraries does. One bundle, "sexpparser", with one class, "SexpParser".
#ifndef BREVANE_SIMCLIENT_OBJECT_CORE_H
#define BREVANE_SIMCLIENT_OBJECT_CORE_H

#include <memory>
#include <string>

#include "simclient/sexp_parser.h"

namespace sexp {

class ObjectCore {
public:
    // dir: the core's own directory (kept, nothing is read from it).
    explicit ObjectCore(const std::string& dir);

    const std::string& dir() const { return m_dir; }

    // True for "sexpparser"; any other bundle is unknown (false).
    bool ImportBundle(const std::string& bundle);
    // A new instance of the class: a parser for "SexpParser" once its bundle
    // was imported, else null.
    std::shared_ptr<SexpParser> New(const std::string& class_name) const;

private:
    std::string m_dir;
    bool m_parser_bundle = false;
};

}  // namespace sexp

#endif
