// A library that carries only a file-version note, for the version query tests.
#include "stream/FileVersionNote.h"

QUILLION_FILE_VERSION_NOTE(5, 6, 0, 8)

extern "C" int stream_version_fixture_marker() {
    return 42;
}
