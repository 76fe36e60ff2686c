// A core file that reaches up to the composition root: the layering check
// must refuse it.
#include "core/levels.h"
#include "app/desk.h"
