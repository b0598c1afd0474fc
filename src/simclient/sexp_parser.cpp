#include "simclient/sexp_parser.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace sexp {

namespace {

const std::string kEmpty;

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == '\0';
}

bool is_delim(char c) { return c == '(' || c == ')' || is_space(c); }

// strtod over the whole atom; the atom is NUL-free because the tokenizer
// treats NUL as a separator.
bool parse_double(const std::string& s, double& out)
{
    if (s.empty()) return false;
    const char* b = s.c_str();
    char* e = nullptr;
    errno = 0;
    double v = std::strtod(b, &e);
    if (e == b || *e != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    out = v;
    return true;
}

}  // namespace

const std::string& Node::name() const
{
    if (is_list && !items.empty() && !items[0].is_list) return items[0].atom;
    return kEmpty;
}

const Node* Node::find(const std::string& n) const
{
    if (!is_list) return nullptr;
    for (const Node& it : items)
        if (it.is_list && it.name() == n) return &it;
    return nullptr;
}

bool to_value(const Node& n, std::string& out)
{
    if (n.is_list) return false;
    out = n.atom;
    return true;
}

bool to_value(const Node& n, double& out) { return !n.is_list && parse_double(n.atom, out); }

bool to_value(const Node& n, float& out)
{
    double d;
    if (!to_value(n, d)) return false;
    if (d > 3.4028234e38 || d < -3.4028234e38) return false;
    out = static_cast<float>(d);
    return true;
}

bool to_value(const Node& n, int& out)
{
    if (n.is_list || n.atom.empty()) return false;
    const char* b = n.atom.c_str();
    char* e = nullptr;
    errno = 0;
    long v = std::strtol(b, &e, 10);
    if (e == b || *e != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    out = static_cast<int>(v);
    return true;
}

ValueCursor::ValueCursor(const Node* list, std::size_t first) : m_list(list), m_pos(first) {}

const Node* ValueCursor::peek() const
{
    if (m_list == nullptr || !m_list->is_list || m_pos >= m_list->items.size()) return nullptr;
    return &m_list->items[m_pos];
}

bool ValueCursor::at_end() const { return peek() == nullptr; }

#define BREVANE_CURSOR_NEXT(T)                                \
    bool ValueCursor::next(T& out)                            \
    {                                                         \
        const Node* n = peek();                               \
        if (n == nullptr || !to_value(*n, out)) return false; \
        ++m_pos;                                              \
        return true;                                          \
    }
BREVANE_CURSOR_NEXT(std::string)
BREVANE_CURSOR_NEXT(int)
BREVANE_CURSOR_NEXT(float)
BREVANE_CURSOR_NEXT(double)
#undef BREVANE_CURSOR_NEXT

const Node* ValueCursor::next_list()
{
    const Node* n = peek();
    if (n == nullptr || !n->is_list) return nullptr;
    ++m_pos;
    return n;
}

PredicateList SexpParser::parse(const std::string& text) const { return parse(text.data(), text.size()); }

PredicateList SexpParser::parse(const char* text, std::size_t len) const
{
    PredicateList result;
    if (text == nullptr) return result;
    // Explicit stack of open lists, so deep nesting cannot exhaust the call
    // stack; stack[0] is the top-level list being built.
    std::vector<Node> stack;
    bool broken = false;    // the current top-level list is dropped
    std::size_t depth = 0;  // open parentheses, counted even while broken
    std::size_t i = 0;
    while (i < len) {
        char c = text[i];
        if (c == '(') {
            ++depth;
            if (!broken) {
                if (depth > kMaxDepth) {
                    broken = true;
                    stack.clear();
                } else {
                    stack.emplace_back();
                    stack.back().is_list = true;
                }
            }
            ++i;
        } else if (c == ')') {
            if (depth == 0) {  // unmatched: ignore it
                ++i;
                continue;
            }
            --depth;
            if (!broken) {
                Node done = std::move(stack.back());
                stack.pop_back();
                if (stack.empty())
                    result.push_back(std::move(done));
                else
                    stack.back().items.push_back(std::move(done));
            } else if (depth == 0) {
                broken = false;
            }
            ++i;
        } else if (is_space(c)) {
            ++i;
        } else {
            std::size_t start = i;
            while (i < len && !is_delim(text[i])) ++i;
            if (!broken && depth > 0) {
                Node a;
                a.atom.assign(text + start, i - start);
                stack.back().items.push_back(std::move(a));
            }
        }
    }
    // Whatever is still open at the end was truncated: dropped.
    return result;
}

}  // namespace sexp
