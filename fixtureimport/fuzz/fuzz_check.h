// What every parsed definition must give, whatever the input: a refusal with
// a reason, or for every mode a type whose values the desk can hold.
#pragma once

#include <cstdlib>

#include "fixtureimport/fixture_import.h"

namespace lumora::fixtureimport::fuzz {

inline void Check(const ParseResult& p) {
  if (!p.ok) {
    if (p.error.empty()) std::abort();
    return;
  }
  for (std::size_t m = 0; m < p.def.modes.size(); ++m) {
    const ImportResult r = Build(p.def, static_cast<int>(m));
    if (!r.ok) {
      if (r.error.empty()) std::abort();
      continue;
    }
    for (const auto& fn : r.type.entries) {
      std::size_t shown = 0;
      for (std::size_t k = 0; k < fn.size(); ++k) {
        const Entry& e = fn[k];
        if (e.text.size() > kCaptionMax || e.low < 0 || e.low > 255 || e.high < 0 || e.high > 255) std::abort();
        if (e.high >= 1) {
          if (k >= static_cast<std::size_t>(kDeskEntries) || e.text.empty()) std::abort();
          ++shown;
          for (std::size_t j = 0; j < k; ++j)
            if (fn[j].high >= 1 && fn[j].text == e.text) std::abort();  // alike captions
        }
      }
      (void)shown;
    }
  }
  if (BestMode(p.def) >= static_cast<int>(p.def.modes.size())) std::abort();
}

}  // namespace lumora::fixtureimport::fuzz
