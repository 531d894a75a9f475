#include "Commands.h"

namespace qvtool {

int Effect(const Args&) { throw UsageError{"effect rendering is not built yet"}; }

}  // namespace qvtool
