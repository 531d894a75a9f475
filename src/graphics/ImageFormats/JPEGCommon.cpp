#include "graphics/ImageFormats/JPEGCommon.h"

#include <cstring>

namespace qv {

namespace {

void JpegErrorExit(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<TJpegErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, manager->message);
  std::longjmp(manager->jump, 1);
}

void JpegOutputMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InstallJpegErrors(TJpegErrorManager& manager) {
  jpeg_error_mgr* err = jpeg_std_error(&manager.pub);
  err->error_exit = JpegErrorExit;
  err->output_message = JpegOutputMessage;
  std::strcpy(manager.message, "unknown error");
  return err;
}

}  // namespace qv
