#ifndef QORVEXLIB_LUA_ERROR_H
#define QORVEXLIB_LUA_ERROR_H

#include <string>

struct lua_State;

namespace qorvexlib {

// The error value on top of the stack as text. Lua error values need not be
// strings; this never hands a null pointer to std::string.
std::string luaErrorText(lua_State* L);

}  // namespace qorvexlib

#endif
