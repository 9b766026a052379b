#pragma once
// What a "LaunchPS" value may hand the photo editor: one existing picture.
#include <string>

namespace tapdeck {

// True when value (optionally in one pair of quotes) names one existing
// regular file on a local drive by an absolute path, and no directory on
// the way is a link; argument is then its full path as one quoted argument.
// Network and device paths are refused by their form, before the file
// system is asked anything.
bool PictureArgument(const std::wstring& value, std::wstring& argument);

}  // namespace tapdeck
