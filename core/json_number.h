// The one conversion of a console value to an integer property or table
// entry, so that no number of any size reaches an integer unchecked.
#pragma once

#include "core/json.h"

namespace lumora {

enum class WholeFit { Ok, NotNumber, NotWhole, OutOfRange };

// A number that is whole and within [lo, hi] is stored in out. A fraction or
// NaN is NotWhole; infinity and a whole number outside the range are
// OutOfRange; anything that is not a number is NotNumber. Booleans are not
// numbers here: callers that take them say so.
WholeFit FitWhole(const Json& v, long long lo, long long hi, long long& out);

// A number's truth (Enabled, Visible): non-zero, for a number of any size.
inline bool NonZero(const Json& v) { return v.isBool() ? v.asBool() : v.asReal() != 0; }

}  // namespace lumora
