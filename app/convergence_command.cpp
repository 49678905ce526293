// "&Convergence": the convergence study window.
#include "app/commands.h"

namespace tavex {

int convergenceCommand() { return 0; }

}  // namespace tavex
