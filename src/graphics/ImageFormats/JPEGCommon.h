// libjpeg's error manager, made safe for C++: errors longjmp back into the
// small C-style function that made the libjpeg call (no C++ object with a
// destructor lives in such a frame), which then reports failure by its result.
#pragma once
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace qv {

struct TJpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

// Installs the manager on cinfo's err; warnings are dropped instead of printed.
jpeg_error_mgr* InstallJpegErrors(TJpegErrorManager& manager);

}  // namespace qv
