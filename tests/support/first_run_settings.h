#pragma once

#include <string>

namespace cadenzo::test {

// The settings file of a first run, written by hand from the file's line table (CR LF lines).
inline const std::string firstRunSettings =
    "CZ0200\r\n0\r\n30\r\n30\r\n422\r\n270\r\n"
    "0\r\n8388608\r\n8388608\r\n16777215\r\n65535\r\n0\r\n24\r\n100\r\n0\r\n"
    "True\r\nFalse\r\nTrue\r\n0\r\n422\r\n28\r\n23\r\n19\r\n14\r\n9\r\n4\r\n";

} // namespace cadenzo::test
