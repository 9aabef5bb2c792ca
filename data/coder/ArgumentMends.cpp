#include "ArgumentMends.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace coder {

namespace {

bool endsWithWav(const std::string &path)
{
    static const std::string suffix = ".wav";
    if (path.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), path.end() - suffix.size(),
                      [](char a, char b) {
                          return a == std::tolower(static_cast<unsigned char>(b));
                      });
}

std::string asPlainFile(const std::string &path)
{
    return needsFilePrefix(path) ? "file:" + path : path;
}

}  // namespace

bool needsFilePrefix(const std::string &path)
{
    return path.find(':') != std::string::npos || (!path.empty() && path.front() == '-');
}

std::vector<std::string> mendArguments(const std::vector<std::string> &given)
{
    const std::size_t count = given.size();
    std::set<std::size_t> inputValues;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (given[i] == "-i") {
            inputValues.insert(i + 1);
            ++i;
        }
    }

    // Without an input there is no output path either: leave informational
    // calls alone instead of turning "-version" into a file name.
    std::size_t outputIndex = count;
    if (!inputValues.empty() && count > 0 && !inputValues.count(count - 1))
        outputIndex = count - 1;
    // A stretch cut out with -ss/-t is a ringtone; anything else writing a WAV
    // decodes a whole file into the working WAV.
    const bool cutsAStretch = std::find(given.begin(), given.end(), "-ss") != given.end()
                              || std::find(given.begin(), given.end(), "-t") != given.end();

    std::vector<std::string> mended{"-nostdin"};
    mended.reserve(count + 4);
    // ffmpeg's build banner says nothing about a job, and a job that fails
    // early would leave it as the last words of its output.
    if (!inputValues.empty())
        mended.push_back("-hide_banner");
    for (std::size_t i = 0; i < count; ++i) {
        if (inputValues.count(i)) {
            mended.push_back(asPlainFile(given[i]));
        } else if (i == outputIndex) {
            // A plain WAV header stops at 4 GiB (about 6 hours of 48 kHz stereo
            // float); RF64 keeps long decodes readable. A ringtone stays a plain
            // RIFF WAV, the only kind simple phone players read.
            if (endsWithWav(given[i]) && !cutsAStretch) {
                mended.push_back("-rf64");
                mended.push_back("auto");
            }
            mended.push_back(asPlainFile(given[i]));
        } else {
            mended.push_back(given[i]);
        }
    }
    return mended;
}

}  // namespace coder
