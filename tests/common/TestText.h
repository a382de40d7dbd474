// Test sources are UTF-8 on every build; the programs work in Shift-JIS.
// sjis() turns a UTF-8 literal into the bytes the programs see.
#pragma once
#include <string>
#include <string_view>

std::string sjis(std::string_view utf8);
std::string utf8(std::string_view sjisText);
