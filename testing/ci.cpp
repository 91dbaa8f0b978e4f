#include "testing/ci.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

bool InCi() {
  const char* psz = std::getenv("CI");
  return psz != nullptr && *psz != '\0' && std::strcmp(psz, "0") != 0 &&
         strcasecmp(psz, "false") != 0;
}
