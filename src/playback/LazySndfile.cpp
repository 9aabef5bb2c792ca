// The libsndfile functions the program calls (the working WAV's reader, the
// peaks, the loudness), loaded with the library the first time a file is read
// (see LazyLibrary.h). Without the library no file opens, and sf_strerror
// says why.
#include "playback/LazyLibrary.h"

#include <sndfile.h>

namespace {

void *sndfile()
{
    static void *const library = lazy_library::open("libsndfile.so.1");
    return library;
}

const char *missing()
{
    return "the libsndfile library (libsndfile.so.1) could not be loaded";
}

}  // namespace

BRINDLEWAVE_LAZY_FUNCTION(sndfile(), SNDFILE *, sf_open, (const char *path, int mode, SF_INFO *sfinfo),
                          (path, mode, sfinfo), nullptr)
BRINDLEWAVE_LAZY_FUNCTION(sndfile(), int, sf_error, (SNDFILE * file), (file), SF_ERR_SYSTEM)
BRINDLEWAVE_LAZY_FUNCTION(sndfile(), const char *, sf_strerror, (SNDFILE * file), (file), missing())
BRINDLEWAVE_LAZY_FUNCTION(sndfile(), sf_count_t, sf_seek, (SNDFILE * file, sf_count_t frames, int whence),
                          (file, frames, whence), -1)
BRINDLEWAVE_LAZY_FUNCTION(sndfile(), const char *, sf_get_string, (SNDFILE * file, int type), (file, type),
                          nullptr)
BRINDLEWAVE_LAZY_FUNCTION(sndfile(), sf_count_t, sf_readf_float, (SNDFILE * file, float *ptr, sf_count_t frames),
                          (file, ptr, frames), 0)
BRINDLEWAVE_LAZY_FUNCTION(sndfile(), int, sf_close, (SNDFILE * file), (file), 0)
