#pragma once
// Narrow texts are bytes in the process's character set, the way the tool's
// texts are bytes in the system's code page on Windows.
#include <string>
#include <vector>

using CString = std::string;
using CStringArray = std::vector<std::string>;
