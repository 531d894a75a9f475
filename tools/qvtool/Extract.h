// The project of any file that carries an overlay, extracted as the engine
// extracts its own, for the subcommands that read or play it.
#pragma once
#include <memory>
#include <string>

#include "startup/uOverlay.h"

namespace qvtool {

// Throws EQVError with a one-line reason when FILE cannot be read or carries
// no overlay. The files go when the result does.
std::unique_ptr<qv::TExtractedProject> ExtractFile(const std::string& file);

}  // namespace qvtool
