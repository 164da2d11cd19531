// What must hold after the tag reader has read any bytes at all, checked by the libFuzzer
// target and by the replay of its corpus in the ordinary test run.
#pragma once

#include <string>
#include <string_view>

namespace varnok::testing {

// Reads `bytes` as a game file several ways (in blocks of 1, 2, 3, 7, 64, 97 bytes and the
// default size, from memory and from a file, and with "\r\n" line ends when it has none of
// its own) and checks the store after each read. Returns the first broken rule, or an empty
// string.
std::string checkTagReader(std::string_view bytes);

} // namespace varnok::testing
