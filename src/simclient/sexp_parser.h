// S-expression reader for the server's perception messages.
//
// A message is a sequence of top-level lists, the predicates:
//   (time (now 0.22))(GS (t 0.00) (pm BeforeKickOff))(HJ (n hj1) (ax -0.00))
// Each predicate is a list whose first element is its name. Values are read
// by finding a sub-list by name and reading the values after its name.
//
// Broken input never crashes the reader: a top-level list that is not
// closed by the end of the text (a truncated message), nested deeper than
// kMaxDepth, or an unmatched ')' is dropped, and the complete predicates
// around it are kept. Numeric reads accept only a whole token that is a
// finite number in the target type's range, so "nan", "inf", "1e999" or
// "12abc" read as "nothing".
#ifndef BREVANE_SIMCLIENT_SEXP_PARSER_H
#define BREVANE_SIMCLIENT_SEXP_PARSER_H

#include <cstddef>
#include <string>
#include <vector>

namespace sexp {

// One element: an atom (a word) or a list of elements.
struct Node {
    bool is_list = false;
    std::string atom;         // the word, for an atom
    std::vector<Node> items;  // the elements, for a list

    // The name of a list: its first element when that is an atom, else "".
    const std::string& name() const;
    // The first direct element that is a list called `name`, or null.
    const Node* find(const std::string& name) const;
};

typedef std::vector<Node> PredicateList;

// Reads the values of one list in order, from element `first` on (1 skips
// the list's own name). Each successful read moves past one element; a
// failed read leaves the cursor where it was.
class ValueCursor {
public:
    explicit ValueCursor(const Node* list, std::size_t first = 1);

    bool next(std::string& out);  // an atom as text
    bool next(int& out);
    bool next(float& out);
    bool next(double& out);
    // The next element when it is a list (to read a sub-list in turn).
    const Node* next_list();
    bool at_end() const;

private:
    const Node* peek() const;
    const Node* m_list;
    std::size_t m_pos;
};

// Conversions of one atom; false for a list or a malformed / non-finite /
// out-of-range number.
bool to_value(const Node& n, std::string& out);
bool to_value(const Node& n, int& out);
bool to_value(const Node& n, float& out);
bool to_value(const Node& n, double& out);

// The first value of the sub-list `name` of `list`: (list ... (name v) ...).
template <class T>
bool get_value(const Node& list, const std::string& name, T& out)
{
    const Node* sub = list.find(name);
    if (sub == nullptr) return false;
    ValueCursor c(sub);
    return c.next(out);
}

class SexpParser {
public:
    static const std::size_t kMaxDepth = 64;

    // The complete top-level lists of `text`, in order. Atoms outside any
    // list are skipped.
    PredicateList parse(const std::string& text) const;
    PredicateList parse(const char* text, std::size_t len) const;
};

}  // namespace sexp

#endif
