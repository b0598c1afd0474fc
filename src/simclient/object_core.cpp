#include "simclient/object_core.h"

namespace sexp {

ObjectCore::ObjectCore(const std::string& dir) : m_dir(dir) {}

bool ObjectCore::ImportBundle(const std::string& bundle)
{
    if (bundle != "sexpparser") return false;
    m_parser_bundle = true;
    return true;
}

std::shared_ptr<SexpParser> ObjectCore::New(const std::string& class_name) const
{
    if (!m_parser_bundle || class_name != "SexpParser") return nullptr;
    return std::make_shared<SexpParser>();
}

}  // namespace sexp
