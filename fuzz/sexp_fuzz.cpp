// Any bytes as one server message, read by the S-expression layer, and
// every value of every predicate read back in every type.
#include <cstddef>
#include <cstdint>
#include <string>

#include "simclient/sexp_parser.h"

namespace {

void read_all(const sexp::Node& n)
{
    std::string s;
    int i;
    float f;
    double d;
    sexp::to_value(n, s);
    sexp::to_value(n, i);
    sexp::to_value(n, f);
    sexp::to_value(n, d);
    if (!n.is_list) return;
    n.find(n.name());
    sexp::ValueCursor c(&n);
    while (!c.at_end()) {
        if (!c.next(d) && !c.next(s)) {
            const sexp::Node* sub = c.next_list();
            if (sub == nullptr) break;
            read_all(*sub);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    sexp::SexpParser parser;
    const sexp::PredicateList preds = parser.parse(reinterpret_cast<const char*>(data), size);
    for (const sexp::Node& p : preds) read_all(p);
    return 0;
}
