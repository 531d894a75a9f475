#include "Commands.h"

namespace qvtool {

int Gallery(const Args&) { throw UsageError{"the gallery is not built yet"}; }

}  // namespace qvtool
