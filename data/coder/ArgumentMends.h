#pragma once

#include <string>
#include <vector>

namespace coder {

// True when ffmpeg would read the path as a protocol ("a:b.mp3") or an option
// ("-ring.mp3") instead of a plain file.
bool needsFilePrefix(const std::string &path);

// The argument list ffmpeg is run with: "-nostdin" and "-hide_banner" first, every input path and
// the output path made unmistakable with "file:", and WAV outputs allowed to
// grow past 4 GiB. Calls without an input (-version, -h) pass through as given.
std::vector<std::string> mendArguments(const std::vector<std::string> &given);

}  // namespace coder
