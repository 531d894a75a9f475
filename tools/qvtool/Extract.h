// The project of any file that carries an overlay, extracted as the engine
// extracts its own, for the subcommands that read or play it.
#pragma once
#include <memory>
#include <string>

#include "startup/uOverlay.h"

namespace qvtool {

// Throws EQVError with a one-line reason when FILE cannot be read or carries
// no overlay, or, with `refuseCut`, when it is cut short; otherwise a file cut
// short is noted on stderr and what is whole is used. The files go when the
// result does.
std::unique_ptr<qv::TExtractedProject> ExtractFile(const std::string& file, bool refuseCut = false);

}  // namespace qvtool
