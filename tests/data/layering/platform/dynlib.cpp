// A platform file that uses only core/: allowed.
#include "core/json.h"
