// Resource identifiers, shared by the resource script and the code; plain macros, since the
// resource compiler reads this too.
#pragma once

// The information dialog the module carries. No export opens it.
#define TAMRILO_INFO_DIALOG 106
