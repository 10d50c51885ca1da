// Text for a terminal: control bytes shown escaped, never sent as they are.
#pragma once

#include <string>
#include <string_view>

// text with every control byte (0x00-0x1F but TAB, and 0x7F) written as
// "\n", "\r", "\e" or "\xHH", so that what a file or record holds can
// neither move the cursor, ring the bell nor start a line of its own.
std::string VisibleText(std::string_view text);
